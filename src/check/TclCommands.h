#pragma once

#include "TclNesting.h"

#include <algorithm>
#include <tcl.h>

// Each command of [p, pEnd) as Tcl's parser splits it, with what every walk
// over a script must get right: nesting too deep for the parser is never
// handed to it, where the parser stopped is kept inside the text, and a parse
// that does not move on ends the walk. The text is a padded copy (see
// CTclNesting::Padded); pInterp, when given, gets its result reset after an
// error.
//   command(const Tcl_Parse&) -> bool: a command parsed; false ends the walk.
//   error(const Tcl_Parse&, const char* pTerm) -> bool: a command Tcl could
//       not parse, pTerm where it stopped; true goes on after that line.
//   tooDeep(const char* pDeep): nesting too deep at pDeep; the walk ends.
// Each parse is freed once its handler returns.
namespace TclCommands
{
// Past the blanks, line breaks and ";" before a command: what Tcl's parser
// would read as empty commands, one ";" at a time.
inline const char* SkipEmptyCommands(const char* p, const char* pEnd)
{
    while (p < pEnd && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == ';' ||
                        *p == '\v' || *p == '\f'))
        ++p;
    return p;
}

// A command on one line with nothing that nests or goes on ("node 1 0.0 0.0"):
// it ends at the line's end (or its ";") at no depth, and need not be measured.
inline bool PlainLine(const char* p, const char* pEnd)
{
    // Tcl's parse skips blank lines and empty commands before the command it
    // reads: the line judged is that command's, not a blank one before it.
    p = SkipEmptyCommands(p, pEnd);
    if (p < pEnd && *p == '#')
        return false; // a comment: the command is on a line further on
    // A ";" ends the command as a line break does: the scan never goes past
    // the command, so a long line of many commands is read once.
    for (; p < pEnd && *p != '\n' && *p != ';'; ++p)
    {
        const char c = *p;
        if (c == '[' || c == '(' || c == '{' || c == '"' || c == '\\')
            return false;
    }
    return true;
}

template <typename TCommand, typename TError, typename TTooDeep>
void Walk(Tcl_Interp* pInterp, const char* p, const char* pEnd, TCommand&& command, TError&& error,
          TTooDeep&& tooDeep)
{
    // Each level of nesting opens with a "[" or a "(": a body or a [ ] with
    // no more of them than the parser may nest cannot be too deep anywhere.
    constexpr long kCountedBytes = 1 << 16;
    const bool bShallow =
        pEnd - p <= kCountedBytes &&
        std::count(p, pEnd, '[') + std::count(p, pEnd, '(') <= CTclNesting::kMaxDepth;
    while (p < pEnd)
    {
        // Empty commands are passed over here, all at once: one at a time,
        // each would have the rest of a long line of them judged again.
        p = SkipEmptyCommands(p, pEnd);
        if (p == pEnd)
            return;
        const char* pDeep = nullptr;
        if (!bShallow && !PlainLine(p, pEnd) && CTclNesting::TooDeep(p, pEnd, &pDeep))
        {
            tooDeep(pDeep);
            return;
        }
        Tcl_Parse parse;
        if (Tcl_ParseCommand(pInterp, p, static_cast<int>(pEnd - p), 0, &parse) != TCL_OK)
        {
            const char* pTerm = parse.term != nullptr ? std::clamp(parse.term, p, pEnd) : p;
            const bool bGoesOn = error(parse, pTerm);
            Tcl_FreeParse(&parse);
            if (pInterp != nullptr)
                Tcl_ResetResult(pInterp);
            if (!bGoesOn)
                return;
            const char* pNext = std::find(pTerm, pEnd, '\n');
            p = pNext < pEnd ? pNext + 1 : pEnd;
            continue;
        }
        const bool bGoesOn = command(parse);
        // Tcl may have read a character past the end it was given.
        const char* pNext = std::min(parse.commandStart + parse.commandSize, pEnd);
        Tcl_FreeParse(&parse);
        if (!bGoesOn || pNext <= p)
            return;
        p = pNext;
    }
}
} // namespace TclCommands
