#include "CheckSite.h"

namespace
{
// The next element of a list's text from p: braced (balanced, a backslash
// hiding the next character) or bare. False at the end, or for an
// unbalanced brace.
bool NextElement(const char*& p, const char* pEnd, CCheckWord& element)
{
    while (p < pEnd && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
        ++p;
    if (p >= pEnd)
        return false;
    element = CCheckWord();
    element.pStart = p;
    element.bLiteral = true;
    if (*p == '{')
    {
        int nDepth = 0;
        for (; p < pEnd; ++p)
        {
            if (*p == '\\')
                ++p;
            else if (*p == '{')
                ++nDepth;
            else if (*p == '}' && --nDepth == 0)
                break;
        }
        if (p >= pEnd)
            return false;
        ++p;
        element.bBraced = true;
        element.nSize = p - element.pStart;
        element.text = std::string_view(element.pStart + 1, static_cast<size_t>(element.nSize - 2));
        return true;
    }
    while (p < pEnd && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r')
        ++p;
    element.nSize = p - element.pStart;
    element.text = std::string_view(element.pStart, static_cast<size_t>(element.nSize));
    return true;
}
} // namespace

bool CCheckWord::SplitLambda(CCheckWord& params, CCheckWord& body) const
{
    if (!bBraced || !bLiteral || nSize < 2)
        return false;
    const char* p = pStart + 1;
    const char* const pEnd = End() - 1;
    return NextElement(p, pEnd, params) && NextElement(p, pEnd, body) && body.bBraced;
}
