#include "OutputReader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{
constexpr size_t kReadBytes = 64 * 1024;
constexpr int kNice = 10;
// After the program ended, at most this much more is read: a process it left
// behind may go on writing.
constexpr size_t kMaxDrainBytes = 64u << 20;
// The copy stops here rather than fill the disk; Save Output As then saves what the pane shows.
constexpr size_t kMaxSpoolBytes = size_t(4) << 30;
} // namespace

COutputReader::COutputReader(int nOutput, int nError, std::FILE* pSpool, size_t nMaxKept)
    : m_fds{nOutput, nError}, m_pSpool(pSpool), m_nMaxKept(nMaxKept)
{
    for (const int fd : m_fds)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wake[0] = m_wake[1] = -1;
    m_thread = std::thread([this] { Run(); });
}

COutputReader::~COutputReader()
{
    Finish();
    for (const int fd : m_wake)
    {
        if (fd >= 0)
            close(fd);
    }
}

void COutputReader::Finish()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bFinishing = true;
    }
    if (m_wake[1] >= 0)
        (void)!write(m_wake[1], "x", 1);
    if (m_thread.joinable())
        m_thread.join();
}

void COutputReader::Run()
{
    // A low share of the processors beside the window, so that keys come
    // first; not the idle class, which a busy machine would starve, and the
    // run with it, since the program waits on a full pipe.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNice);
    std::vector<char> buffer(kReadBytes);
    bool bOpen[2] = {true, true};
    bool bDraining = false;
    size_t nDrained = 0;
    while (bOpen[0] || bOpen[1])
    {
        if (!bDraining)
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            bDraining = m_bFinishing;
        }
        pollfd fds[3] = {{bOpen[0] ? m_fds[0] : -1, POLLIN, 0},
                         {bOpen[1] ? m_fds[1] : -1, POLLIN, 0},
                         {bDraining ? -1 : m_wake[0], POLLIN, 0}};
        // Draining, nothing waits: what is not there now is not waited for.
        const int nReady = poll(fds, 3, bDraining ? 0 : -1);
        if (nReady < 0 && errno == EINTR)
            continue;
        if (nReady <= 0)
            break;
        bool bRead = false;
        for (int i = 0; i < 2; ++i)
        {
            if (!bOpen[i] || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
                continue;
            const ssize_t n = read(m_fds[i], buffer.data(), buffer.size());
            if (n > 0)
            {
                m_decoder.Feed(std::string_view(buffer.data(), static_cast<size_t>(n)), i == 1);
                nDrained += bDraining ? static_cast<size_t>(n) : 0;
                bRead = true;
            }
            else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            {
                close(m_fds[i]);
                m_fds[i] = -1;
                bOpen[i] = false;
            }
        }
        if (fds[2].revents != 0)
        {
            char drop[16];
            while (read(m_wake[0], drop, sizeof drop) > 0)
            {
            }
        }
        Publish(false);
        if ((bDraining && !bRead) || nDrained > kMaxDrainBytes)
            break;
    }
    for (int& fd : m_fds)
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    m_decoder.Finish();
    Publish(true);
}

// Lines decoded so far go to the window's side: read for traces, copied to
// the spool, and queued.
void COutputReader::Publish(bool bEnded)
{
    std::vector<COutputDecoder::CLine> lines = m_decoder.TakeLines();
    const COutputDecoder::CLine& open = m_decoder.OpenLine();
    for (const COutputDecoder::CLine& line : lines)
    {
        m_parser.AddLine(line.text);
        if (m_pSpool != nullptr && !m_bSpoolFailed &&
            (std::fwrite(line.text.data(), 1, line.text.size(), m_pSpool) != line.text.size() ||
             std::fputc('\n', m_pSpool) == EOF ||
             (m_nSpoolBytes += line.text.size() + 1) > kMaxSpoolBytes))
            m_bSpoolFailed = true;
    }
    if (bEnded)
    {
        // The last line, without its line break, is read as well.
        if (!open.text.empty())
        {
            m_parser.AddLine(open.text);
            if (m_pSpool != nullptr && !m_bSpoolFailed &&
                std::fwrite(open.text.data(), 1, open.text.size(), m_pSpool) != open.text.size())
                m_bSpoolFailed = true;
        }
        m_parser.Finish();
        if (m_pSpool != nullptr && !m_bSpoolFailed && std::fflush(m_pSpool) != 0)
            m_bSpoolFailed = true;
    }
    std::vector<CTraceParser::CTrace> traces = m_parser.TakeTraces();
    std::vector<CTraceParser::CPlainLink> links = m_parser.TakePlainLinks();
    std::lock_guard<std::mutex> lock(m_mutex);
    for (COutputDecoder::CLine& line : lines)
    {
        m_nLineBytes += line.text.size();
        m_lines.push_back(std::move(line));
    }
    while (!m_lines.empty() && (m_lines.size() > m_nMaxKept || m_nLineBytes > kMaxKeptBytes))
    {
        m_nLineBytes -= m_lines.front().text.size();
        m_lines.pop_front();
        ++m_nSkipped;
    }
    m_open = open;
    for (CTraceParser::CTrace& trace : traces)
        m_traces.push_back(std::move(trace));
    m_links.insert(m_links.end(), std::make_move_iterator(links.begin()),
                   std::make_move_iterator(links.end()));
    m_bEnded = bEnded;
    m_bSharedSpoolFailed = m_bSpoolFailed;
}

COutputReader::CBatch COutputReader::Take(size_t nMaxLines)
{
    CBatch batch;
    std::lock_guard<std::mutex> lock(m_mutex);
    batch.nSkipped = m_nSkipped;
    m_nSkipped = 0;
    const size_t nTake = nMaxLines == 0 ? m_lines.size() : std::min(nMaxLines, m_lines.size());
    batch.lines.assign(std::make_move_iterator(m_lines.begin()),
                       std::make_move_iterator(m_lines.begin() + static_cast<long>(nTake)));
    for (const COutputDecoder::CLine& line : batch.lines)
        m_nLineBytes -= line.text.size();
    m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<long>(nTake));
    batch.bMoreWaiting = !m_lines.empty();
    if (!batch.bMoreWaiting)
        batch.open = m_open;
    batch.traces.swap(m_traces);
    batch.links.swap(m_links);
    batch.bEnded = m_bEnded && !batch.bMoreWaiting;
    batch.bSpoolFailed = m_bSharedSpoolFailed;
    return batch;
}
