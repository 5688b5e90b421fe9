#include "DryRunProtocol.h"

#include "text/Latin1Text.h"

#include <algorithm>
#include <limits>
#include <nlohmann/json.hpp>

namespace
{
using json = nlohmann::json;
// Lines keep their keys in the order written: the kind of line first.
using ordered_json = nlohmann::ordered_json;

// A Tcl string's bytes cross JSON one code point each (Latin1Text), so that
// no byte is lost whatever the script's encoding; the escaping is the library's.
ordered_json Words(int nWords, const std::string_view* pWords)
{
    ordered_json words = ordered_json::array();
    for (int i = 0; i < nWords; ++i)
        words.push_back(Latin1Text::ToUtf8(pWords[i].substr(0, DryRunProtocol::kMaxWordBytes)));
    return words;
}
} // namespace

namespace DryRunProtocol
{
std::string Quote(std::string_view text)
{
    return json(Latin1Text::ToUtf8(text)).dump();
}

std::string Cut(std::string_view text)
{
    if (text.size() <= kMaxMessageBytes)
        return std::string(text);
    return std::string(text.substr(0, kMaxMessageBytes)) + "...";
}

void CWriter::Line(const nlohmann::ordered_json& object)
{
    const std::string line = object.dump();
    std::fwrite(line.data(), 1, line.size(), m_pOut);
    std::fputc('\n', m_pOut);
    m_nBytes += static_cast<long long>(line.size()) + 1;
}

void CWriter::Version()
{
    Line({{"dryrun", CDryRunReport::kVersion}});
}

void CWriter::File(int nFile, const std::string& path)
{
    Line({{"file", nFile}, {"path", Latin1Text::ToUtf8(path)}});
}

void CWriter::Call(CDryRunCall::EKind kind, int nWords, const std::string_view* pWords,
                   const CDryRunPlace& place)
{
    const char* const pKey = kind == CDryRunCall::EKind::Library   ? "call"
                             : kind == CDryRunCall::EKind::Unknown ? "unknown"
                                                                   : "refused";
    const int nSent = std::min(nWords, static_cast<int>(kMaxWordsPerCall));
    ordered_json line = {{pKey, Words(nSent, pWords)}, {"f", place.nFile}, {"l", place.nLine}};
    if (nSent < nWords)
        line["cut"] = nWords - nSent;
    Line(line);
}

void CWriter::Puts(std::string_view text)
{
    Line({{"puts", Latin1Text::ToUtf8(text)}});
}

void CWriter::Error(const std::string& message, const CDryRunPlace& place)
{
    Line({{"error", Latin1Text::ToUtf8(Cut(message))}, {"f", place.nFile}, {"l", place.nLine}});
}

void CWriter::Limit(const std::string& kind, const std::string& message, const CDryRunPlace& place,
                    bool bUnsure)
{
    ordered_json line = {{"limit", Latin1Text::ToUtf8(kind)},
                         {"message", Latin1Text::ToUtf8(Cut(message))},
                         {"f", place.nFile},
                         {"l", place.nLine}};
    if (bUnsure)
        line["unsure"] = 1;
    Line(line);
}

void CWriter::Variable(const std::string& name, std::string_view value, bool bCut)
{
    ordered_json line = {{"var", Latin1Text::ToUtf8(name)}, {"value", Latin1Text::ToUtf8(value)}};
    if (bCut)
        line["cut"] = 1;
    Line(line);
}

void CWriter::End(long nMs)
{
    Line({{"end", 1}, {"ms", nMs}});
}

void CWriter::Flush()
{
    std::fflush(m_pOut);
}

namespace
{
// One line of an answer, read by the library's parser event by event into
// what the writer writes: a flat object of strings, integers and arrays of
// strings. Anything else (a nested object, a number with a point) makes the
// line unreadable, and it is passed over.
class CLine : public nlohmann::json_sax<json>
{
public:
    // The words of a call line, kept between lines so their room is reused.
    explicit CLine(std::vector<std::string>& words) : m_words(words) { m_words.clear(); }

    bool Read(std::string_view line)
    {
        return json::sax_parse(line.begin(), line.end(), this) && m_bDone;
    }

    const std::string* String(std::string_view key) const
    {
        for (const auto& [name, text] : m_strings)
        {
            if (name == key)
                return &text;
        }
        return nullptr;
    }
    long Number(std::string_view key, long nDefault) const
    {
        for (const auto& [name, n] : m_numbers)
        {
            if (name == key)
                return n;
        }
        return nDefault;
    }
    // The key the words came under ("call", "unknown", "refused"), or empty.
    const std::string& WordsKey() const { return m_wordsKey; }

    bool null() override { return false; }
    bool boolean(bool) override { return false; }
    bool number_integer(number_integer_t n) override { return Number(static_cast<long>(n)); }
    bool number_unsigned(number_unsigned_t n) override
    {
        return n <= static_cast<number_unsigned_t>(std::numeric_limits<long>::max()) &&
               Number(static_cast<long>(n));
    }
    bool number_float(number_float_t, const string_t&) override { return false; }
    bool string(string_t& text) override
    {
        if (m_bInArray)
        {
            m_words.push_back(Latin1Text::FromUtf8(text));
            return true;
        }
        if (m_nDepth != 1)
            return false;
        m_strings.emplace_back(std::move(m_key), Latin1Text::FromUtf8(text));
        return true;
    }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override { return ++m_nDepth == 1; }
    bool key(string_t& key) override
    {
        m_key = std::move(key);
        return true;
    }
    bool end_object() override
    {
        m_bDone = true;
        return --m_nDepth == 0;
    }
    bool start_array(std::size_t) override
    {
        if (m_nDepth != 1 || m_bInArray || !m_wordsKey.empty())
            return false;
        m_bInArray = true;
        m_wordsKey = std::move(m_key);
        return true;
    }
    bool end_array() override
    {
        m_bInArray = false;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override
    {
        return false;
    }

private:
    bool Number(long n)
    {
        if (m_nDepth != 1 || m_bInArray)
            return false;
        m_numbers.emplace_back(std::move(m_key), n);
        return true;
    }

    std::vector<std::string>& m_words;
    std::string m_wordsKey;
    std::string m_key;
    std::vector<std::pair<std::string, std::string>> m_strings;
    std::vector<std::pair<std::string, long>> m_numbers;
    int m_nDepth = 0;
    bool m_bInArray = false;
    bool m_bDone = false;
};

CDryRunPlace PlaceOf(const CLine& line, const CDryRunReport& report)
{
    CDryRunPlace place;
    const long nFile = line.Number("f", -1);
    const long nLine = line.Number("l", 0);
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

void CReader::Line(std::string_view text)
{
    CDryRunReport& report = m_report;
    CLine line(m_words);
    const bool bRead = line.Read(text);
    if (m_bFirst)
    {
        m_bFirst = false;
        if (bRead && line.Number("dryrun", 0) == CDryRunReport::kVersion)
            report.nVersion = CDryRunReport::kVersion;
        return;
    }
    if (!bRead)
        return;
    if (line.Number("file", -1) != -1)
    {
        const std::string* pPath = line.String("path");
        if (pPath != nullptr && line.Number("file", -1) == static_cast<long>(report.files.size()))
            report.files.push_back(*pPath);
        return;
    }
    static const std::pair<const char*, CDryRunCall::EKind> kCallKinds[] = {
        {"call", CDryRunCall::EKind::Library},
        {"unknown", CDryRunCall::EKind::Unknown},
        {"refused", CDryRunCall::EKind::Refused}};
    for (const auto& [pKey, kind] : kCallKinds)
    {
        if (line.WordsKey() != pKey)
            continue;
        if (m_words.empty())
            return;
        if (m_words.size() > kMaxWordsPerCall)
            m_words.resize(kMaxWordsPerCall);
        m_nWords += m_words.size();
        if (report.calls.size() >= kMaxCalls || m_nWords > kMaxWords ||
            !report.calls.Add(kind, m_words, PlaceOf(line, report)))
            report.bCut = true;
        return;
    }
    if (const std::string* pText = line.String("puts"))
    {
        const size_t nRoom = kMaxOutputBytes - std::min(kMaxOutputBytes, report.output.size());
        report.output.append(*pText, 0, std::min(nRoom, pText->size()));
    }
    else if (const std::string* pName = line.String("var"))
    {
        const std::string* pValue = line.String("value");
        if (pValue != nullptr && report.variables.size() < kMaxVariables)
            report.variables.push_back(
                {pName->substr(0, kMaxWordBytes), pValue->substr(0, kMaxValueBytes),
                 line.Number("cut", 0) != 0 || pValue->size() > kMaxValueBytes});
    }
    else if (const std::string* pMessage = line.String("error"))
    {
        if (report.errors.size() < kMaxErrors)
            report.errors.push_back({Cut(*pMessage), PlaceOf(line, report)});
    }
    else if (const std::string* pKind = line.String("limit"))
    {
        report.limit = *pKind;
        const std::string* pText = line.String("message");
        report.limitMessage = Cut(pText != nullptr ? *pText : *pKind);
        report.limitPlace = PlaceOf(line, report);
        report.bLimitUnsure = line.Number("unsure", 0) == 1;
    }
    else if (line.Number("end", 0) == 1)
    {
        report.bEnded = true;
        report.nMs = line.Number("ms", 0);
    }
}

bool Read(std::string_view bytes, CDryRunReport& report)
{
    CReader reader(report);
    reader.Feed(bytes);
    return reader.Finish();
}
} // namespace DryRunProtocol
