#pragma once

#include "run/SubprocessChannel.h"
#include "trace/TraceMapper.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTemporaryFile>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

class CAnalysisRun;
class CMessageSink;
class COutputPane;
class COutputReader;
class QTimer;

// A run of the script whose output the Output pane shows: the batch runner
// a child of the editor, its output read and decoded on a thread of its own
// (COutputReader) and put into the pane in batches, every kBatchMs; Tcl
// traces and plain places in it mapped to a file and a line and made links.
// The whole output goes to a temporary file as well, for Save Output As.
class CRunSession : public QObject
{
    Q_OBJECT

public:
    explicit CRunSession(COutputPane& pane, QObject* pParent = nullptr);
    ~CRunSession() override;

    static constexpr int kBatchMs = 50;
    // At most this many lines go into the pane a batch, so that a flood of
    // output leaves the window free for keys; the rest waits for the next batch.
    static constexpr size_t kLinesPerBatch = 4000;

    enum class EState
    {
        Idle,
        Running,
        Finished,
        Failed,
        Stopped,
    };

    // Starts the run in the folder; false, with the refusal's message, when it did not start.
    bool Start(const CAnalysisRun& run, const std::string& folder, const std::string& scriptPath,
               CMessageSink& messages);
    // Ends the run and everything it started.
    void Stop();
    bool IsRunning() const { return m_channel.IsRunning(); }
    EState State() const { return m_state; }
    // Waits (running the event loop) until the run has ended, at most nMs.
    bool WaitForFinished(int nMs);
    long ProcessGroup() const { return m_channel.ProcessId(); }

    // The places the output named, in the order of the output.
    const std::vector<CTraceMapper::CLocation>& Locations() const { return m_locations; }
    // The first error's message and innermost place, once known.
    struct CRunError
    {
        std::string message;
        CTraceMapper::CLocation location;
    };
    const std::optional<CRunError>& FirstError() const { return m_firstError; }

    // The next (or previous) place, wrapping; false when there is none.
    bool StepLocation(bool bBackward);
    // Follows a place: its link shown in the pane, and FollowLocation asked to
    // go there; a place it could not go to (the user kept a changed script) is
    // not taken as the current one.
    void Activate(int nLocation);
    std::function<bool(const CTraceMapper::CLocation& location)> FollowLocation;

    // The whole output of the last run, as the pane shows it, into a file.
    bool SaveOutput(const std::string& path, std::string& error) const;
    // Whether Save Output As saves the whole output (false: the copy could
    // not be kept, and only what the pane shows is saved).
    bool KeepsWholeOutput() const { return !m_bSpoolFailed; }

signals:
    void StateChanged();
    void FirstErrorFound();

private:
    // bAll: everything read goes into the pane (the run has ended).
    void Flush(bool bAll = false);
    void Finished(int nExitStatus, bool bCrashed);
    void ShowState();
    void AddLocation(CTraceMapper::CLocation location);

    COutputPane& m_pane;
    CSubprocessChannel m_channel;
    std::unique_ptr<COutputReader> m_pReader;
    std::FILE* m_pSpoolWriter = nullptr; // the reader's end of the spool
    std::unique_ptr<CTraceMapper> m_pMapper;
    QTimer* m_pBatch;
    QTimer* m_pClock;
    QElapsedTimer m_elapsed;
    EState m_state = EState::Idle;
    int m_nExitStatus = 0;
    bool m_bCrashed = false;
    bool m_bStopRequested = false;
    double m_seconds = 0;
    std::vector<CTraceMapper::CLocation> m_locations;
    int m_nCurrent = -1;
    std::optional<CRunError> m_firstError;
    std::unique_ptr<QTemporaryFile> m_pSpool;
    bool m_bSpoolFailed = false;
};
