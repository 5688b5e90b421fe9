#include "ExpressionSyntaxRule.h"

#include <cctype>

namespace
{
bool IsNameByte(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == ':';
}

// Where a word stands in an expression as a word of its own, outside $names
// and quotes; npos for nowhere.
size_t FindBareword(std::string_view text, std::string_view word)
{
    bool bQuoted = false;
    for (size_t i = 0; i + word.size() <= text.size(); ++i)
    {
        const char c = text[i];
        if (c == '\\')
        {
            ++i;
            continue;
        }
        if (c == '"')
            bQuoted = !bQuoted;
        if (bQuoted || text.substr(i, word.size()) != word)
            continue;
        const bool bStarts = i == 0 || (!IsNameByte(text[i - 1]) && text[i - 1] != '$');
        const bool bEnds = i + word.size() == text.size() || !IsNameByte(text[i + word.size()]);
        if (bStarts && bEnds)
            return i;
    }
    return std::string_view::npos;
}

// A "=" alone: not part of ==, !=, <=, >=.
size_t FindLoneEquals(std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '=')
            continue;
        const bool bAfterOperator = i > 0 && (text[i - 1] == '=' || text[i - 1] == '!' ||
                                              text[i - 1] == '<' || text[i - 1] == '>');
        const bool bBeforeEquals = i + 1 < text.size() && text[i + 1] == '=';
        if (!bAfterOperator && !bBeforeEquals)
            return i;
        if (bBeforeEquals)
            ++i;
    }
    return std::string_view::npos;
}

std::string FirstLine(std::string_view message)
{
    return std::string(message.substr(0, message.find('\n')));
}

// The name quoted in Tcl's message: invalid bareword "L".
std::string_view Quoted(std::string_view message)
{
    const size_t nOpen = message.find('"');
    const size_t nClose = nOpen == std::string_view::npos ? nOpen : message.find('"', nOpen + 1);
    if (nClose == std::string_view::npos)
        return {};
    return message.substr(nOpen + 1, nClose - nOpen - 1);
}
} // namespace

std::vector<std::string_view> CExpressionSyntaxRule::Ids() const
{
    return {"expr/bareword", "expr/assignment", "expr/syntax"};
}

void CExpressionSyntaxRule::Expression(const CExpressionSite& site, CCheckContext& context)
{
    if (site.bParsed)
        return;
    const std::string_view error = site.error;
    const std::string_view text = site.text;
    if (error.rfind("invalid bareword", 0) == 0)
    {
        const std::string_view word = Quoted(error);
        const size_t nAt = word.empty() ? std::string_view::npos : FindBareword(text, word);
        const char* pStart = nAt == std::string_view::npos ? site.word.pStart : text.data() + nAt;
        const char* pEnd = nAt == std::string_view::npos ? site.word.End() : pStart + word.size();
        const std::string name(word);
        CFinding* pFinding =
            context.Add("expr/bareword", pStart, pEnd,
                        FirstLine(error) + " in the expression: a variable's value needs a $ ($" +
                            name + "), a string needs quotes (\"" + name + "\")");
        if (pFinding != nullptr && nAt != std::string_view::npos)
            pFinding->fixes.push_back(
                {"Replace with $" + name, pFinding->nStart, pFinding->nEnd, "$" + name});
        return;
    }
    if (error.find("\"=\"") != std::string_view::npos)
    {
        const size_t nAt = FindLoneEquals(text);
        if (nAt != std::string_view::npos)
        {
            CFinding* pFinding =
                context.Add("expr/assignment", text.data() + nAt, text.data() + nAt + 1,
                            "a lone = in the expression (" + FirstLine(error) +
                                "): Tcl compares with ==, and gives a variable a value with set");
            if (pFinding != nullptr)
                pFinding->fixes.push_back(
                    {"Replace with ==", pFinding->nStart, pFinding->nEnd, "=="});
            return;
        }
    }
    context.Add("expr/syntax", site.word.pStart, site.word.End(),
                "the expression does not parse: " + FirstLine(error));
}
