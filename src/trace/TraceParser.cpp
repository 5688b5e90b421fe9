#include "TraceParser.h"

#include <cstring>

namespace
{
std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits as a line number; at most nine of them are read, so it cannot overflow.
long LineNumber(std::string_view digits)
{
    long n = 0;
    for (size_t i = 0; i < digits.size() && i < 9 && IsDigit(digits[i]); ++i)
        n = n * 10 + (digits[i] - '0');
    return n;
}

// The lines that lead from a command to the next one out, or that open a trace.
bool OpensTrace(std::string_view trimmed)
{
    return trimmed == "while executing" || trimmed == "while compiling" ||
           trimmed == "invoked from within";
}

bool IsPathCharacter(char c)
{
    return c != ' ' && c != '\t' && c != '"' && c != '\'' && c != '(' && c != ')' && c != '[' &&
           c != ']' && c != '<' && c != '>' && c != ',' && c != ';' && c != '=' && c != '`' &&
           c != '{' && c != '}';
}

// A path names a file when it has a dot or a slash in it: "error:12:" does not.
bool LooksLikePath(std::string_view path)
{
    return !path.empty() && path.find_first_of("./\\") != std::string_view::npos &&
           path.find("://") == std::string_view::npos;
}
} // namespace

bool CTraceParser::ParseFrame(std::string_view line, CFrame& frame)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.size() < 8 || trimmed.front() != '(' || trimmed.back() != ')')
        return false;
    const std::string_view inner = trimmed.substr(1, trimmed.size() - 2);
    const size_t nLineWord = inner.rfind(" line ");
    if (nLineWord == std::string_view::npos)
        return false;
    const std::string_view digits = inner.substr(nLineWord + 6);
    if (digits.empty() || digits.size() > 9)
        return false;
    for (const char c : digits)
    {
        if (!IsDigit(c))
            return false;
    }
    const std::string_view head = inner.substr(0, nLineWord);
    CFrame parsed;
    parsed.nLine = LineNumber(digits);
    const auto quoted = [&head](std::string_view prefix, std::string& name)
    {
        if (head.size() < prefix.size() + 2 || head.substr(0, prefix.size()) != prefix ||
            head.back() != '"')
            return false;
        name.assign(head.substr(prefix.size(), head.size() - prefix.size() - 1));
        return true;
    };
    if (quoted("file \"", parsed.name))
        parsed.kind = EFrameKind::File;
    else if (quoted("procedure \"", parsed.name))
        parsed.kind = EFrameKind::Procedure;
    else if (head.size() >= 3 && head.front() == '"')
    {
        const size_t nClose = head.find('"', 1);
        const std::string_view part =
            nClose == std::string_view::npos ? std::string_view() : Trim(head.substr(nClose + 1));
        if (nClose != std::string_view::npos && nClose > 1 && !part.empty())
        {
            parsed.kind = EFrameKind::Body;
            parsed.name.assign(head.substr(1, nClose - 1));
            parsed.part.assign(part);
        }
        else
            parsed.kind = EFrameKind::Other;
    }
    else
        parsed.kind = EFrameKind::Other;
    parsed.nFrom = static_cast<size_t>(trimmed.data() - line.data());
    parsed.nTo = parsed.nFrom + trimmed.size();
    frame = std::move(parsed);
    return true;
}

void CTraceParser::FindPlainLinks(std::string_view line, long nOutputLine,
                                  std::vector<CPlainLink>& links)
{
    // Only the start of a very long line is read: a place is named near the front.
    if (line.size() > 4096)
        line = line.substr(0, 4096);
    const auto pathBefore = [&line](size_t nEnd)
    {
        size_t nStart = nEnd;
        while (nStart > 0 && IsPathCharacter(line[nStart - 1]))
            --nStart;
        return nStart;
    };
    // F:N:
    for (size_t nColon = line.find(':'); nColon != std::string_view::npos;
         nColon = line.find(':', nColon + 1))
    {
        size_t nDigitsEnd = nColon + 1;
        while (nDigitsEnd < line.size() && IsDigit(line[nDigitsEnd]))
            ++nDigitsEnd;
        if (nDigitsEnd == nColon + 1 || nDigitsEnd - nColon - 1 > 9 || nDigitsEnd >= line.size() ||
            line[nDigitsEnd] != ':')
            continue;
        const size_t nStart = pathBefore(nColon);
        const std::string_view path = line.substr(nStart, nColon - nStart);
        if (!LooksLikePath(path))
            continue;
        links.push_back({std::string(path), LineNumber(line.substr(nColon + 1)), nOutputLine,
                         nStart, nDigitsEnd});
    }
    // F line N
    for (size_t nWord = line.find(" line "); nWord != std::string_view::npos;
         nWord = line.find(" line ", nWord + 1))
    {
        size_t nDigitsEnd = nWord + 6;
        while (nDigitsEnd < line.size() && IsDigit(line[nDigitsEnd]))
            ++nDigitsEnd;
        if (nDigitsEnd == nWord + 6 || nDigitsEnd - nWord - 6 > 9 ||
            (nDigitsEnd < line.size() &&
             !(line[nDigitsEnd] == ' ' || line[nDigitsEnd] == ':' || line[nDigitsEnd] == ',' ||
               line[nDigitsEnd] == '.' || line[nDigitsEnd] == ')' || line[nDigitsEnd] == ';')))
            continue;
        size_t nPathEnd = nWord;
        size_t nStart = 0;
        std::string_view path;
        if (nPathEnd > 0 && line[nPathEnd - 1] == '"')
        {
            // A quoted name may hold spaces.
            const size_t nOpen =
                nPathEnd >= 2 ? line.rfind('"', nPathEnd - 2) : std::string_view::npos;
            if (nOpen == std::string_view::npos)
                continue;
            nStart = nOpen;
            path = line.substr(nOpen + 1, nPathEnd - nOpen - 2);
        }
        else
        {
            nStart = pathBefore(nPathEnd);
            path = line.substr(nStart, nPathEnd - nStart);
        }
        if (!LooksLikePath(path))
            continue;
        links.push_back({std::string(path), LineNumber(line.substr(nWord + 6)), nOutputLine, nStart,
                         nDigitsEnd});
    }
}

void CTraceParser::AddLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const long nLine = m_nLine++;
    const std::string_view trimmed = Trim(line);
    switch (m_state)
    {
    case EState::Idle:
        if (OpensTrace(trimmed))
        {
            StartTrace();
            return;
        }
        IdleLine(line);
        return;
    case EState::Frame:
        if (trimmed == "invoked from within")
        {
            m_state = EState::Command;
            m_command.clear();
            m_nCommandLines = 0;
            return;
        }
        EndTrace();
        if (OpensTrace(trimmed))
            StartTrace();
        else
            IdleLine(line);
        return;
    case EState::Command:
        break;
    }

    // Within a quoted command.
    if (m_nCommandLines == 0)
    {
        if (trimmed.empty() || line.front() != '"')
        {
            EndTrace();
            IdleLine(line);
            return;
        }
        m_command.assign(line.substr(1));
        m_nCommandStart = nLine;
        m_nCommandLines = 1;
        m_bCommandMayEnd = line.size() >= 2 && line.back() == '"';
        return;
    }
    if (m_bCommandMayEnd)
    {
        CFrame frame;
        if (ParseFrame(line, frame))
        {
            frame.nOutputLine = nLine;
            PushStep(std::move(frame));
            m_state = EState::Frame;
            return;
        }
        if (trimmed == "invoked from within")
        {
            PushStep(CFrame());
            m_command.clear();
            m_nCommandLines = 0;
            return;
        }
        if (trimmed == "while executing" || trimmed == "while compiling")
        {
            PushStep(CFrame());
            EndTrace();
            StartTrace();
            return;
        }
    }
    if (++m_nCommandLines > kMaxCommandLines)
    {
        PushStep(CFrame());
        EndTrace();
        IdleLine(line);
        return;
    }
    m_command += '\n';
    m_command.append(line);
    m_bCommandMayEnd = !line.empty() && line.back() == '"';
}

void CTraceParser::PushStep(CFrame frame)
{
    CStep step;
    step.command = std::move(m_command);
    if (!step.command.empty() && step.command.back() == '"')
        step.command.pop_back();
    step.nCommandLine = m_nCommandStart;
    step.frame = std::move(frame);
    m_trace.steps.push_back(std::move(step));
    m_command.clear();
    m_nCommandLines = 0;
}

void CTraceParser::StartTrace()
{
    m_trace = CTrace();
    if (m_nPreviousLine >= 0 && m_nPreviousLine == m_nLine - 2)
    {
        m_trace.message = m_previous;
        m_trace.nMessageLine = m_nPreviousLine;
    }
    m_state = EState::Command;
    m_command.clear();
    m_nCommandLines = 0;
}

void CTraceParser::EndTrace()
{
    if (m_state == EState::Command && m_nCommandLines > 0)
        PushStep(CFrame());
    if (!m_trace.steps.empty())
        m_done.push_back(std::move(m_trace));
    m_trace = CTrace();
    m_state = EState::Idle;
    m_nPreviousLine = -1;
}

void CTraceParser::IdleLine(std::string_view line)
{
    FindPlainLinks(line, m_nLine - 1, m_links);
    m_previous.assign(line.substr(0, std::min<size_t>(line.size(), kMaxMessageBytes)));
    m_nPreviousLine = m_nLine - 1;
}

void CTraceParser::Finish()
{
    if (m_state != EState::Idle)
        EndTrace();
}

std::vector<CTraceParser::CTrace> CTraceParser::TakeTraces()
{
    std::vector<CTrace> traces;
    traces.swap(m_done);
    return traces;
}

std::vector<CTraceParser::CPlainLink> CTraceParser::TakePlainLinks()
{
    std::vector<CPlainLink> links;
    links.swap(m_links);
    return links;
}
