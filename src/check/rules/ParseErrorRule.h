#pragma once

#include "check/CheckRule.h"

// Where Tcl cannot parse: a missing close-brace, -bracket or -quote, named
// with the line where it opened; extra characters after a close-brace or
// -quote; nesting deeper than the check follows.
class CParseErrorRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void ParseError(const Tcl_Parse& parse, const char* pTerm, const char* pEnd,
                    CCheckContext& context) override;
    void TooDeep(const char* p, CCheckContext& context) override;
};
