#pragma once

#include "run/OutputDecoder.h"
#include "trace/TraceParser.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// Reads a run's standard output and error from two pipes on a thread of its
// own, at a low priority, so that a run that floods its output leaves the
// window free for keys. It
// decodes the bytes into lines, reads them for traces and places, and keeps
// a copy of the whole output in a file. The window takes what has come in
// batches. Of the lines not yet taken it keeps the last kMaxKept: older ones
// could never be shown.
class COutputReader
{
public:
    // Takes the pipes' read ends (and closes them); pSpool, when given, gets
    // every line (the reader does not close it).
    COutputReader(int nOutput, int nError, std::FILE* pSpool, size_t nMaxKept);
    // Nor more than this many bytes of them, however long the lines.
    static constexpr size_t kMaxKeptBytes = size_t(64) << 20;
    ~COutputReader();
    COutputReader(const COutputReader&) = delete;
    COutputReader& operator=(const COutputReader&) = delete;

    struct CBatch
    {
        // Lines that came before these and were never taken: everything shown before goes too.
        long nSkipped = 0;
        std::vector<COutputDecoder::CLine> lines;
        // The line being written, when every line before it is in this batch.
        COutputDecoder::CLine open;
        std::vector<CTraceParser::CTrace> traces;
        std::vector<CTraceParser::CPlainLink> links;
        bool bMoreWaiting = false; // lines are left for the next batch
        bool bEnded = false;       // nothing more will come
        bool bSpoolFailed = false; // the copy could not be written whole
    };
    // At most nMaxLines lines (all for 0).
    CBatch Take(size_t nMaxLines);

    // The program ended: what is in the pipes now is read, then the reader ends.
    // Waits for that.
    void Finish();

private:
    void Run();
    void Publish(bool bEnded);

    int m_fds[2];
    int m_wake[2] = {-1, -1};
    std::FILE* m_pSpool;
    size_t m_nMaxKept;
    // The thread's own.
    COutputDecoder m_decoder;
    CTraceParser m_parser;
    bool m_bSpoolFailed = false;
    size_t m_nSpoolBytes = 0;
    // Shared, under m_mutex.
    std::mutex m_mutex;
    std::deque<COutputDecoder::CLine> m_lines;
    size_t m_nLineBytes = 0;
    long m_nSkipped = 0;
    COutputDecoder::CLine m_open;
    std::vector<CTraceParser::CTrace> m_traces;
    std::vector<CTraceParser::CPlainLink> m_links;
    bool m_bEnded = false;
    bool m_bSharedSpoolFailed = false;
    bool m_bFinishing = false;
    std::thread m_thread;
};
