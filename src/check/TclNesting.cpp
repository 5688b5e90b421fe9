#include "TclNesting.h"

#include "TclLibrary.h"

#include <algorithm>
#include <tcl.h>
#include <vector>

namespace
{
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

bool IsAsciiNameByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':';
}

bool MayBeNameByte(char c)
{
    return IsAsciiNameByte(c) || static_cast<unsigned char>(c) >= 0x80;
}

// Blanks between words, a backslash-newline among them.
const char* SkipBlanks(const char* p, const char* pEnd)
{
    for (;;)
    {
        while (p < pEnd && IsBlank(*p))
            ++p;
        if (p + 1 < pEnd && p[0] == '\\' && p[1] == '\n')
        {
            p += 2;
            continue;
        }
        return p;
    }
}

// White space, line breaks and comments before a command's first word.
const char* SkipComments(const char* p, const char* pEnd)
{
    for (;;)
    {
        p = SkipBlanks(p, pEnd);
        if (p < pEnd && *p == '\n')
        {
            ++p;
            continue;
        }
        if (p >= pEnd || *p != '#')
            return p;
        while (p < pEnd)
        {
            if (*p == '\\')
                p += p + 1 < pEnd ? 2 : 1; // a backslash-newline goes on with the comment
            else if (*p++ == '\n')
                break;
        }
    }
}

// Whether a braced or quoted word may end here: Tcl reports extra
// characters after its close-brace or close-quote otherwise, and stops.
// Stopping there too keeps each command's measure as short as Tcl's parse.
bool EndsWord(const char* p, const char* pEnd, bool bNested)
{
    return p >= pEnd || IsBlank(*p) || *p == '\n' || *p == ';' || (*p == ']' && bNested) ||
           (p + 1 < pEnd && p[0] == '\\' && p[1] == '\n');
}

// Past a braced word's close-brace; nullptr when it has none.
const char* SkipBraces(const char* p, const char* pEnd)
{
    long nLevel = 0;
    for (; p < pEnd; ++p)
    {
        if (*p == '\\')
            ++p;
        else if (*p == '{')
            ++nLevel;
        else if (*p == '}' && --nLevel == 0)
            return p + 1;
    }
    return nullptr;
}

// Whether Tcl takes [pDollar, pParen) whole as a variable's name, so that
// the "(" at pParen opens an index. The range holds no "(", so Tcl's parse
// of it cannot nest.
bool NameReaches(const char* pDollar, const char* pParen)
{
    StartTclLibrary();
    Tcl_Parse parse;
    const int nCode =
        Tcl_ParseVarName(nullptr, pDollar, static_cast<int>(pParen - pDollar), &parse, 0);
    const bool bWhole = nCode == TCL_OK && parse.numTokens > 0 &&
                        parse.tokenPtr[0].type == TCL_TOKEN_VARIABLE &&
                        parse.tokenPtr[0].size == pParen - pDollar;
    Tcl_FreeParse(&parse);
    return bWhole;
}

struct CFrame
{
    enum EKind : char
    {
        Script, // words of commands; nested: inside [ ]
        Bare,   // a word without quotes or braces
        Quoted, // "..."
        Index   // $name( ... )
    };
    EKind eKind;
    bool bNested = false;
    bool bCommandStart = true;
};
} // namespace

std::string CTclNesting::Padded(std::string_view text)
{
    std::string copy;
    copy.reserve(text.size() + kPadding);
    copy.append(text);
    copy.append(kPadding, '\0');
    copy.resize(text.size());
    return copy;
}

int CTclNesting::Depth(const char* p, const char* pEnd, bool bNested, int nLimit, const char** ppAt)
{
    // Asked before every command Tcl parses: the stack is kept from one call
    // to the next, so that a call allocates nothing.
    thread_local std::vector<CFrame> stack;
    stack.clear();
    stack.push_back({CFrame::Script, bNested, true});
    int nDepth = 0;
    int nDeepest = 0;
    const auto done = [&](int nAnswer)
    {
        if (ppAt != nullptr)
            *ppAt = std::min(p, pEnd);
        return nAnswer;
    };
    const auto deeper = [&](CFrame frame)
    {
        stack.push_back(frame);
        nDeepest = std::max(nDeepest, ++nDepth);
        return nDeepest > nLimit;
    };
    while (!stack.empty())
    {
        CFrame& frame = stack.back();
        if (frame.eKind == CFrame::Script)
        {
            if (frame.bCommandStart)
            {
                p = SkipComments(p, pEnd);
                frame.bCommandStart = false;
            }
            p = SkipBlanks(p, pEnd);
            if (p >= pEnd)
                return done(nDeepest); // the end, or Tcl's missing close-bracket
            const char c = *p;
            if (c == '\n' || c == ';')
            {
                ++p;
                if (stack.size() == 1)
                    return done(nDeepest);
                frame.bCommandStart = true;
            }
            else if (c == ']' && frame.bNested)
            {
                ++p;
                stack.pop_back();
                if (stack.empty())
                    return done(nDeepest);
                --nDepth;
            }
            else if (c == '{')
            {
                const char* pOpen = p;
                p = SkipBraces(p, pEnd);
                if (p == nullptr)
                {
                    p = pEnd;
                    return done(nDeepest);
                }
                // {*} goes on with the word it expands; after any other braced
                // word, extra characters are where Tcl stops.
                const bool bExpand = p - pOpen == 3 && pOpen[1] == '*';
                if (!bExpand && !EndsWord(p, pEnd, frame.bNested))
                    return done(nDeepest);
            }
            else if (c == '"')
            {
                ++p;
                stack.push_back({CFrame::Quoted});
            }
            else
                stack.push_back({CFrame::Bare, frame.bNested});
            continue;
        }

        if (p >= pEnd)
        {
            if (frame.eKind != CFrame::Bare)
                return done(nDeepest); // Tcl's missing close-quote or ")"
            stack.pop_back();
            continue;
        }
        const char c = *p;
        if (frame.eKind == CFrame::Bare &&
            (IsBlank(c) || c == '\n' || c == ';' || (c == ']' && frame.bNested) ||
             (c == '\\' && p + 1 < pEnd && p[1] == '\n')))
        {
            stack.pop_back();
            continue;
        }
        if (frame.eKind == CFrame::Quoted && c == '"')
        {
            ++p;
            stack.pop_back();
            // Extra characters after the close-quote: Tcl stops there.
            if (!EndsWord(p, pEnd, stack.back().bNested))
                return done(nDeepest);
            continue;
        }
        if (frame.eKind == CFrame::Index && c == ')')
        {
            ++p;
            stack.pop_back();
            --nDepth;
            continue;
        }
        if (c == '\\')
            p += p + 1 < pEnd ? 2 : 1; // what follows is never a bracket, brace or $
        else if (c == '[')
        {
            ++p;
            if (deeper({CFrame::Script, true, true}))
                return done(nLimit + 1);
        }
        else if (c == '$')
        {
            const char* pName = p + 1;
            if (pName < pEnd && *pName == '{')
            {
                const char* pClose = std::find(pName, pEnd, '}');
                if (pClose == pEnd)
                {
                    p = pEnd;
                    return done(nDeepest); // Tcl's missing close-brace for a variable name
                }
                p = pClose + 1;
                continue;
            }
            const char* pRun = pName;
            while (pRun < pEnd && MayBeNameByte(*pRun))
                ++pRun;
            if (pRun < pEnd && *pRun == '(')
            {
                const bool bPlain =
                    std::all_of(pName, pRun, [](char n) { return IsAsciiNameByte(n) && n != ':'; });
                if (pRun == pName || bPlain || NameReaches(p, pRun))
                {
                    p = pRun + 1;
                    if (deeper({CFrame::Index}))
                        return done(nLimit + 1);
                    continue;
                }
            }
            // Name bytes, or literal ones: neither nests.
            p = pRun > pName ? pRun : pName;
        }
        else
            ++p;
    }
    return done(nDeepest);
}
