#include "ScriptSteps.h"

#include "check/TclCommands.h"

#include <climits>
#include <tcl.h>

namespace
{
// The command's text without the newline or semicolon that ends it.
std::string_view CommandText(const Tcl_Parse& parse)
{
    if (parse.numWords == 0 || parse.numTokens == 0)
        return {};
    const Tcl_Token& last = parse.tokenPtr[parse.numTokens - 1];
    const char* pEnd = last.start + last.size;
    // A quoted or braced last word ends at its closing character.
    const Tcl_Token* pWord = nullptr;
    for (int i = 0; i < parse.numTokens; i += 1 + parse.tokenPtr[i].numComponents)
        pWord = &parse.tokenPtr[i];
    if (pWord != nullptr && pWord->start + pWord->size > pEnd)
        pEnd = pWord->start + pWord->size;
    return {parse.commandStart, static_cast<size_t>(pEnd - parse.commandStart)};
}

// Whether braces carry the command's text as it stands: Tcl reads a braced
// word to the brace that balances its opening one, a backslash hiding the
// character after it from the count.
bool BracesCarry(std::string_view command)
{
    long nDepth = 0;
    for (size_t i = 0; i < command.size(); ++i)
    {
        const char c = command[i];
        if (c == '\\')
        {
            if (++i == command.size())
                return false; // it would hide the closing brace
        }
        else if (c == '{')
            ++nDepth;
        else if (c == '}' && --nDepth < 0)
            return false;
    }
    return nDepth == 0;
}
} // namespace

std::string CScriptSteps::Wrap(std::string_view text)
{
    std::string out;
    if (text.size() > static_cast<size_t>(INT_MAX))
        return std::string(text);
    out.reserve(text.size() + text.size() / 4);
    // Tcl's parser may read a little past the end, and must never meet
    // nesting deeper than it can follow: such a command, and the rest, are
    // left to the run, which stops there with its place.
    const std::string padded = CTclNesting::Padded(text);
    const char* p = padded.data();
    const char* const pEnd = padded.data() + text.size();
    while (p < pEnd)
    {
        // Empty commands stay as they are, passed over at once.
        const char* const pCommand = TclCommands::SkipEmptyCommands(p, pEnd);
        out.append(p, pCommand);
        p = pCommand;
        if (p == pEnd)
            break;
        if (!TclCommands::PlainLine(p, pEnd) && CTclNesting::TooDeep(p, pEnd))
            break;
        Tcl_Parse parse;
        if (Tcl_ParseCommand(nullptr, p, static_cast<int>(pEnd - p), 0, &parse) != TCL_OK)
        {
            Tcl_FreeParse(&parse);
            break; // Tcl reports what it cannot parse, as it would have
        }
        const std::string_view command = CommandText(parse);
        const char* const pNext = parse.commandStart + parse.commandSize;
        if (command.empty() || !BracesCarry(command))
            out.append(p, pNext);
        else
        {
            out.append(p, command.data());
            out += kStepCommand;
            out += " {";
            out += command;
            out += '}';
            out.append(command.data() + command.size(), pNext);
        }
        Tcl_FreeParse(&parse);
        if (pNext <= p)
            break;
        p = pNext;
    }
    out.append(p, pEnd);
    return out;
}
