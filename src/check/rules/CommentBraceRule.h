#pragma once

#include "check/CheckRule.h"

// Tcl counts the braces of a body before it knows where its comments are: a
// brace in a comment inside a body, and a } on a comment line that ends the
// body there.
class CCommentBraceRule : public CCheckRule
{
public:
    std::vector<std::string_view> Ids() const override;
    void Comment(const char* p, const char* pEnd, const CCheckScope& scope,
                 CCheckContext& context) override;
    void Body(const CCheckWord& body, const CCheckScope& scope, CCheckContext& context) override;
};
