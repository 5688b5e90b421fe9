#include "CheckRule.h"

#include "rules/BackslashBlankRule.h"
#include "rules/CommentAfterCommandRule.h"
#include "rules/CommentBraceRule.h"
#include "rules/ElseIfRule.h"
#include "rules/ExpressionSyntaxRule.h"
#include "rules/GluedBraceRule.h"
#include "rules/LibraryUsageRule.h"
#include "rules/MathFunctionRule.h"
#include "rules/ParseErrorRule.h"
#include "rules/ProcArgumentsRule.h"
#include "rules/SetDollarNameRule.h"
#include "rules/SetEqualsRule.h"
#include "rules/SetOneArgumentRule.h"
#include "rules/SourceFileRule.h"
#include "rules/UnbracedExprRule.h"
#include "rules/UnknownCommandRule.h"
#include "rules/VariableRule.h"

void CCheckRule::ParseError(const Tcl_Parse&, const char*, const char*, CCheckContext&) {}
void CCheckRule::TooDeep(const char*, CCheckContext&) {}
void CCheckRule::Comment(const char*, const char*, const CCheckScope&, CCheckContext&) {}
void CCheckRule::Body(const CCheckWord&, const CCheckScope&, CCheckContext&) {}
void CCheckRule::Command(const CCommandSite&, CCheckContext&) {}
void CCheckRule::Expression(const CExpressionSite&, CCheckContext&) {}
void CCheckRule::Read(std::string_view, const char*, const char*, const CCheckScope&,
                      CCheckContext&)
{
}
void CCheckRule::Finish(CCheckContext&) {}

std::vector<std::unique_ptr<CCheckRule>> MakeCheckRules()
{
    std::vector<std::unique_ptr<CCheckRule>> rules;
    rules.push_back(std::make_unique<CParseErrorRule>());
    rules.push_back(std::make_unique<CCommentBraceRule>());
    rules.push_back(std::make_unique<CUnknownCommandRule>());
    rules.push_back(std::make_unique<CLibraryUsageRule>());
    rules.push_back(std::make_unique<CSetOneArgumentRule>());
    rules.push_back(std::make_unique<CSourceFileRule>());
    rules.push_back(std::make_unique<CGluedBraceRule>());
    rules.push_back(std::make_unique<CElseIfRule>());
    rules.push_back(std::make_unique<CBackslashBlankRule>());
    rules.push_back(std::make_unique<CCommentAfterCommandRule>());
    rules.push_back(std::make_unique<CSetEqualsRule>());
    rules.push_back(std::make_unique<CSetDollarNameRule>());
    rules.push_back(std::make_unique<CExpressionSyntaxRule>());
    rules.push_back(std::make_unique<CMathFunctionRule>());
    rules.push_back(std::make_unique<CUnbracedExprRule>());
    rules.push_back(std::make_unique<CProcArgumentsRule>());
    rules.push_back(std::make_unique<CVariableRule>());
    return rules;
}
