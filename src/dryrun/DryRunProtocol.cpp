#include "DryRunProtocol.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <variant>

namespace DryRunProtocol
{
std::string Quote(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (const char c : text)
    {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
        {
            out += '\\';
            out += c;
        }
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (u < 0x20 || u == 0x7F)
        {
            static const char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
        else
            out += c;
    }
    out += '"';
    return out;
}

std::string Cut(std::string_view text)
{
    if (text.size() <= kMaxMessageBytes)
        return std::string(text);
    return std::string(text.substr(0, kMaxMessageBytes)) + "...";
}

void CWriter::Line(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), m_pOut);
    std::fputc('\n', m_pOut);
    m_nBytes += static_cast<long long>(line.size()) + 1;
}

std::string CWriter::Place(const CDryRunPlace& place)
{
    return ",\"f\":" + std::to_string(place.nFile) + ",\"l\":" + std::to_string(place.nLine);
}

void CWriter::Version()
{
    Line("{\"dryrun\":" + std::to_string(CDryRunReport::kVersion) + "}");
}

void CWriter::File(int nFile, const std::string& path)
{
    Line("{\"file\":" + std::to_string(nFile) + ",\"path\":" + Quote(path) + "}");
}

void CWriter::Call(CDryRunCall::EKind kind, int nWords, const std::string_view* pWords,
                   const CDryRunPlace& place)
{
    std::string line = kind == CDryRunCall::EKind::Library   ? "{\"call\":["
                       : kind == CDryRunCall::EKind::Unknown ? "{\"unknown\":["
                                                             : "{\"refused\":[";
    const int nSent = std::min(nWords, static_cast<int>(kMaxWordsPerCall));
    for (int i = 0; i < nSent; ++i)
    {
        if (i > 0)
            line += ',';
        line += Quote(pWords[i].substr(0, kMaxWordBytes));
    }
    line += ']';
    line += Place(place);
    if (nSent < nWords)
        line += ",\"cut\":" + std::to_string(nWords - nSent);
    line += '}';
    Line(line);
}

void CWriter::Puts(std::string_view text)
{
    Line("{\"puts\":" + Quote(text) + "}");
}

void CWriter::Error(const std::string& message, const CDryRunPlace& place)
{
    Line("{\"error\":" + Quote(Cut(message)) + Place(place) + "}");
}

void CWriter::Limit(const std::string& kind, const std::string& message, const CDryRunPlace& place,
                    bool bUnsure)
{
    Line("{\"limit\":" + Quote(kind) + ",\"message\":" + Quote(Cut(message)) + Place(place) +
         (bUnsure ? ",\"unsure\":1}" : "}"));
}

void CWriter::Variable(const std::string& name, std::string_view value, bool bCut)
{
    Line("{\"var\":" + Quote(name) + ",\"value\":" + Quote(value) + (bCut ? ",\"cut\":1}" : "}"));
}

void CWriter::End(long nMs)
{
    Line("{\"end\":1,\"ms\":" + std::to_string(nMs) + "}");
}

void CWriter::Flush()
{
    std::fflush(m_pOut);
}

namespace
{
using CValue = std::variant<std::string, long, std::vector<std::string>>;
using CObject = std::map<std::string, CValue, std::less<>>;

// A reader of the flat objects the writer writes: strings, integers and
// arrays of strings as values; anything else makes the line unreadable.
class CLineReader
{
public:
    explicit CLineReader(std::string_view line) : m_text(line) {}

    std::optional<CObject> Object()
    {
        CObject object;
        Blanks();
        if (!Take('{'))
            return std::nullopt;
        Blanks();
        if (Take('}'))
            return End() ? std::optional(std::move(object)) : std::nullopt;
        for (;;)
        {
            std::string key;
            Blanks();
            if (!String(key))
                return std::nullopt;
            Blanks();
            if (!Take(':'))
                return std::nullopt;
            Blanks();
            CValue value;
            if (!Value(value))
                return std::nullopt;
            object.insert_or_assign(std::move(key), std::move(value));
            Blanks();
            if (Take(','))
                continue;
            if (Take('}'))
                break;
            return std::nullopt;
        }
        return End() ? std::optional(std::move(object)) : std::nullopt;
    }

private:
    bool End()
    {
        Blanks();
        return m_nPos == m_text.size();
    }

    void Blanks()
    {
        while (m_nPos < m_text.size() &&
               (m_text[m_nPos] == ' ' || m_text[m_nPos] == '\t' || m_text[m_nPos] == '\r'))
            ++m_nPos;
    }

    bool Take(char c)
    {
        if (m_nPos < m_text.size() && m_text[m_nPos] == c)
        {
            ++m_nPos;
            return true;
        }
        return false;
    }

    bool Value(CValue& value)
    {
        if (m_nPos >= m_text.size())
            return false;
        const char c = m_text[m_nPos];
        if (c == '"')
        {
            std::string text;
            if (!String(text))
                return false;
            value = std::move(text);
            return true;
        }
        if (c == '[')
        {
            ++m_nPos;
            std::vector<std::string> items;
            Blanks();
            if (Take(']'))
            {
                value = std::move(items);
                return true;
            }
            for (;;)
            {
                Blanks();
                std::string item;
                if (!String(item))
                    return false;
                items.push_back(std::move(item));
                Blanks();
                if (Take(','))
                    continue;
                if (Take(']'))
                    break;
                return false;
            }
            value = std::move(items);
            return true;
        }
        long n = 0;
        const char* pBegin = m_text.data() + m_nPos;
        const char* pEnd = m_text.data() + m_text.size();
        const auto [pStop, error] = std::from_chars(pBegin, pEnd, n);
        if (error != std::errc() || pStop == pBegin)
            return false;
        m_nPos += static_cast<size_t>(pStop - pBegin);
        value = n;
        return true;
    }

    static int Hex(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    bool String(std::string& text)
    {
        if (!Take('"'))
            return false;
        while (m_nPos < m_text.size())
        {
            const char c = m_text[m_nPos++];
            if (c == '"')
                return true;
            if (c != '\\')
            {
                text += c;
                continue;
            }
            if (m_nPos >= m_text.size())
                return false;
            const char e = m_text[m_nPos++];
            switch (e)
            {
            case 'n':
                text += '\n';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            case '"':
            case '\\':
            case '/':
                text += e;
                break;
            case 'u':
            {
                if (m_nPos + 4 > m_text.size())
                    return false;
                int n = 0;
                for (int i = 0; i < 4; ++i)
                {
                    const int h = Hex(m_text[m_nPos++]);
                    if (h < 0)
                        return false;
                    n = n * 16 + h;
                }
                // The writer escapes control characters only; others as UTF-8.
                if (n < 0x80)
                    text += static_cast<char>(n);
                else if (n < 0x800)
                {
                    text += static_cast<char>(0xC0 | (n >> 6));
                    text += static_cast<char>(0x80 | (n & 0x3F));
                }
                else
                {
                    text += static_cast<char>(0xE0 | (n >> 12));
                    text += static_cast<char>(0x80 | ((n >> 6) & 0x3F));
                    text += static_cast<char>(0x80 | (n & 0x3F));
                }
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    std::string_view m_text;
    size_t m_nPos = 0;
};

const std::string* StringOf(const CObject& object, std::string_view key)
{
    const auto found = object.find(key);
    return found == object.end() ? nullptr : std::get_if<std::string>(&found->second);
}

long NumberOf(const CObject& object, std::string_view key, long nDefault)
{
    const auto found = object.find(key);
    if (found == object.end())
        return nDefault;
    const long* pNumber = std::get_if<long>(&found->second);
    return pNumber == nullptr ? nDefault : *pNumber;
}

std::vector<std::string>* WordsOf(CObject& object, std::string_view key)
{
    const auto found = object.find(key);
    return found == object.end() ? nullptr : std::get_if<std::vector<std::string>>(&found->second);
}

CDryRunPlace PlaceOf(const CObject& object, const CDryRunReport& report)
{
    CDryRunPlace place;
    const long nFile = NumberOf(object, "f", -1);
    const long nLine = NumberOf(object, "l", 0);
    if (nFile >= 0 && nFile < static_cast<long>(report.files.size()) && nLine > 0)
    {
        place.nFile = static_cast<int>(nFile);
        place.nLine = nLine;
    }
    return place;
}
} // namespace

CReader::CReader(CDryRunReport& report) : m_report(report)
{
    m_report = CDryRunReport();
}

void CReader::Feed(std::string_view bytes)
{
    if (!bytes.empty())
        m_bEmpty = false;
    while (!bytes.empty() && !Done())
    {
        const size_t nEnd = bytes.find('\n');
        if (nEnd == std::string_view::npos)
        {
            m_partial.append(bytes);
            return;
        }
        if (m_partial.empty())
            Line(bytes.substr(0, nEnd));
        else
        {
            m_partial.append(bytes.substr(0, nEnd));
            Line(m_partial);
            m_partial.clear();
        }
        bytes.remove_prefix(nEnd + 1);
    }
}

bool CReader::Finish()
{
    if (!m_partial.empty() && !Done())
        Line(m_partial);
    m_partial.clear();
    m_partial.shrink_to_fit();
    m_report.calls.Shrink();
    m_report.variables.shrink_to_fit();
    return m_report.nVersion == CDryRunReport::kVersion;
}

void CReader::Line(std::string_view line)
{
    CDryRunReport& report = m_report;
    std::optional<CObject> object = CLineReader(line).Object();
    if (m_bFirst)
    {
        m_bFirst = false;
        if (object && NumberOf(*object, "dryrun", 0) == CDryRunReport::kVersion)
            report.nVersion = CDryRunReport::kVersion;
        return;
    }
    if (!object)
        return;
    if (object->count("file") != 0U)
    {
        const std::string* pPath = StringOf(*object, "path");
        if (pPath != nullptr &&
            NumberOf(*object, "file", -1) == static_cast<long>(report.files.size()))
            report.files.push_back(*pPath);
        return;
    }
    static const std::pair<const char*, CDryRunCall::EKind> kCallKinds[] = {
        {"call", CDryRunCall::EKind::Library},
        {"unknown", CDryRunCall::EKind::Unknown},
        {"refused", CDryRunCall::EKind::Refused}};
    for (const auto& [key, kind] : kCallKinds)
    {
        std::vector<std::string>* pWords = WordsOf(*object, key);
        if (pWords == nullptr || pWords->empty())
            continue;
        if (pWords->size() > kMaxWordsPerCall)
            pWords->resize(kMaxWordsPerCall);
        m_nWords += pWords->size();
        if (report.calls.size() >= kMaxCalls || m_nWords > kMaxWords ||
            !report.calls.Add(kind, *pWords, PlaceOf(*object, report)))
            report.bCut = true;
        return;
    }
    if (const std::string* pText = StringOf(*object, "puts"))
    {
        const size_t nRoom = kMaxOutputBytes - std::min(kMaxOutputBytes, report.output.size());
        report.output.append(*pText, 0, std::min(nRoom, pText->size()));
    }
    else if (const std::string* pName = StringOf(*object, "var"))
    {
        const std::string* pValue = StringOf(*object, "value");
        if (pValue != nullptr && report.variables.size() < kMaxVariables)
            report.variables.push_back(
                {pName->substr(0, kMaxWordBytes), pValue->substr(0, kMaxValueBytes),
                 NumberOf(*object, "cut", 0) != 0 || pValue->size() > kMaxValueBytes});
    }
    else if (const std::string* pMessage = StringOf(*object, "error"))
    {
        if (report.errors.size() < kMaxErrors)
            report.errors.push_back({Cut(*pMessage), PlaceOf(*object, report)});
    }
    else if (const std::string* pKind = StringOf(*object, "limit"))
    {
        report.limit = *pKind;
        const std::string* pText = StringOf(*object, "message");
        report.limitMessage = Cut(pText != nullptr ? *pText : *pKind);
        report.limitPlace = PlaceOf(*object, report);
        report.bLimitUnsure = NumberOf(*object, "unsure", 0) == 1;
    }
    else if (NumberOf(*object, "end", 0) == 1)
    {
        report.bEnded = true;
        report.nMs = NumberOf(*object, "ms", 0);
    }
}

bool Read(std::string_view bytes, CDryRunReport& report)
{
    CReader reader(report);
    reader.Feed(bytes);
    return reader.Finish();
}
} // namespace DryRunProtocol
