#include "LspSemanticTokens.h"

#include "colour/LineColourer.h"
#include "helplib/CommandLibrary.h"

#include <iterator>
#include <nlohmann/json.hpp>

namespace
{
enum ETokenType : uint32_t
{
    kKeyword,
    kFunction,
    kMethod,
    kParameter,
    kComment,
    kString,
};

// UTF-16 units in a run of UTF-8 bytes: a lead byte of four bytes is two
// units, a continuation byte none; a byte that is not UTF-8 counts as one.
uint32_t Utf16Units(std::string_view bytes)
{
    uint32_t nUnits = 0;
    for (const char c : bytes)
    {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) == 0x80)
            continue;
        nUnits += byte >= 0xF0 ? 2 : 1;
    }
    return nUnits;
}

bool IsFlag(std::string_view word)
{
    return word.size() >= 2 && word[0] == '-' &&
           ((word[1] >= 'a' && word[1] <= 'z') || (word[1] >= 'A' && word[1] <= 'Z'));
}
} // namespace

nlohmann::json LspSemanticTokens::Legend()
{
    return {{"tokenTypes", {"keyword", "function", "method", "parameter", "comment", "string"}},
            {"tokenModifiers", nlohmann::json::array()}};
}

std::vector<uint32_t> LspSemanticTokens::Of(const std::string& text, const CCommandLibrary& library)
{
    static const std::vector<std::string> kKeywords(std::begin(CLineColourer::kTclKeywords),
                                                    std::end(CLineColourer::kTclKeywords));
    const CLineColourer colourer(kKeywords,
                                 [&library](std::string_view keyword, std::string_view parent)
                                 { return library.Find(keyword, parent) >= 0; });
    std::vector<uint32_t> data;
    std::vector<CLineColourer::CSpan> spans;
    uint32_t nLastLine = 0;
    uint32_t nLastCharacter = 0;
    uint32_t nLine = 0;
    for (size_t nStart = 0; nStart < text.size(); ++nLine)
    {
        size_t nBreak = text.find('\n', nStart);
        const size_t nNext = nBreak == std::string::npos ? text.size() : nBreak + 1;
        const std::string_view line(text.data() + nStart, nNext - nStart);
        nStart = nNext;
        if (!colourer.ColourLine(line, spans))
            continue;
        // A library command's flags are its parameters.
        bool bLibraryCommand = false;
        uint32_t nCharacter = 0;
        size_t nCounted = 0; // bytes of the line counted into nCharacter
        for (const CLineColourer::CSpan& span : spans)
        {
            if (span.nEnd <= span.nStart)
                continue;
            const std::string_view word = line.substr(static_cast<size_t>(span.nStart),
                                                      static_cast<size_t>(span.nEnd - span.nStart));
            uint32_t nType = 0;
            switch (span.colour)
            {
            case EWordColour::Keyword:
                nType = kKeyword;
                break;
            case EWordColour::Command:
                nType = kFunction;
                bLibraryCommand = true;
                break;
            case EWordColour::SubCommand:
                nType = kMethod;
                break;
            case EWordColour::Comment:
                nType = kComment;
                break;
            case EWordColour::SourcedName:
                nType = kString;
                break;
            case EWordColour::Plain:
                if (!bLibraryCommand || !IsFlag(word))
                    continue;
                nType = kParameter;
                break;
            }
            if (static_cast<size_t>(span.nStart) < nCounted)
                continue; // the line's own span, under its words
            nCharacter +=
                Utf16Units(line.substr(nCounted, static_cast<size_t>(span.nStart) - nCounted));
            nCounted = static_cast<size_t>(span.nStart);
            const uint32_t nLength = Utf16Units(word);
            data.push_back(nLine - nLastLine);
            data.push_back(nLine == nLastLine ? nCharacter - nLastCharacter : nCharacter);
            data.push_back(nLength);
            data.push_back(nType);
            data.push_back(0);
            nLastLine = nLine;
            nLastCharacter = nCharacter;
        }
    }
    return data;
}
