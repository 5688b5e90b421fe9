#include "ParseErrorRule.h"

#include "check/TclNesting.h"

std::vector<std::string_view> CParseErrorRule::Ids() const
{
    return {"parse/too-deep",          "parse/missing-brace",          "parse/missing-bracket",
            "parse/missing-quote",     "parse/missing-variable-brace", "parse/missing-paren",
            "parse/extra-after-brace", "parse/extra-after-quote",      "parse/error"};
}

void CParseErrorRule::ParseError(const Tcl_Parse& parse, const char* pTerm, const char* pEnd,
                                 CCheckContext& context)
{
    const std::string opened = " (opened at line " + std::to_string(context.LineOf(pTerm)) + ")";
    // Where Tcl ran out: the last character that is not blank.
    const char* pLast = pEnd;
    while (pLast > pTerm &&
           (pLast[-1] == ' ' || pLast[-1] == '\t' || pLast[-1] == '\n' || pLast[-1] == '\r'))
        --pLast;
    const char* pAt = pLast > pTerm ? pLast - 1 : pTerm;
    switch (parse.errorType)
    {
    case TCL_PARSE_MISSING_BRACE:
        context.Add("parse/missing-brace", pAt, pAt + 1, "missing close-brace" + opened);
        break;
    case TCL_PARSE_MISSING_BRACKET:
        context.Add("parse/missing-bracket", pAt, pAt + 1, "missing close-bracket" + opened);
        break;
    case TCL_PARSE_MISSING_QUOTE:
        context.Add("parse/missing-quote", pAt, pAt + 1, "missing close-quote" + opened);
        break;
    case TCL_PARSE_MISSING_VAR_BRACE:
        context.Add("parse/missing-variable-brace", pAt, pAt + 1,
                    "missing close-brace for variable name" + opened);
        break;
    case TCL_PARSE_MISSING_PAREN:
        context.Add("parse/missing-paren", pAt, pAt + 1, "missing ) of an array element" + opened);
        break;
    case TCL_PARSE_BRACE_EXTRA:
        context.Add("parse/extra-after-brace", pTerm, pTerm + 1,
                    "extra characters after close-brace: put a blank after the }");
        break;
    case TCL_PARSE_QUOTE_EXTRA:
        context.Add("parse/extra-after-quote", pTerm, pTerm + 1,
                    "extra characters after close-quote: put a blank after the \"");
        break;
    default:
        context.Add("parse/error", pTerm, pTerm + 1, Tcl_GetStringResult(context.Interp()));
        break;
    }
}

void CParseErrorRule::TooDeep(const char* p, CCheckContext& context)
{
    context.Add("parse/too-deep", p, p + 1,
                "nested more than " + std::to_string(CTclNesting::kMaxDepth) +
                    " levels deep in [ ] or $name( ): too deep to check, the rest of this script "
                    "is not checked");
}
