#include "LspJson.h"

#include "LspDocument.h"

#include <algorithm>

using json = nlohmann::json;

json LspJson::Range(long nLine, long nCharacter, long nEndLine, long nEndCharacter)
{
    return {{"start", {{"line", nLine}, {"character", nCharacter}}},
            {"end", {{"line", nEndLine}, {"character", nEndCharacter}}}};
}

json LspJson::RangeOf(const CLspDocument& document, size_t nFrom, size_t nTo)
{
    const CLspPosition from = document.PositionOf(nFrom);
    const CLspPosition to = document.PositionOf(std::max(nFrom, nTo));
    return Range(from.nLine, from.nCharacter, to.nLine, to.nCharacter);
}

json LspJson::Location(const std::string& uri, const CLspDocument* pDocument, long nStart,
                       long nEnd, long nLine)
{
    if (pDocument == nullptr || nStart < 0)
        return {{"uri", uri},
                {"range", Range(std::max(0L, nLine - 1), 0, std::max(0L, nLine - 1), 0)}};
    return {{"uri", uri},
            {"range", RangeOf(*pDocument, static_cast<size_t>(nStart),
                              static_cast<size_t>(std::max(nStart, nEnd)))}};
}
