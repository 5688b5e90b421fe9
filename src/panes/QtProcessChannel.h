#pragma once

#include "run/ProcessChannel.h"

#include <QObject>
#include <QProcess>

class QTimer;

// A child process read through Qt's event loop. The child starts a process
// group of its own, so a stop reaches it and everything it started: SIGTERM
// to the group, then SIGKILL to what is left after three seconds.
class CQtProcessChannel : public QObject, public CProcessChannel
{
    Q_OBJECT

public:
    explicit CQtProcessChannel(QObject* pParent = nullptr);
    ~CQtProcessChannel() override;

    bool Start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingDirectory) override;
    void Stop() override;
    bool IsRunning() const override;
    // The next start gives the child these as its standard output and error
    // (write ends of pipes whose other ends someone else reads); OnOutput is
    // then not called. -1 for the channel's own pipes.
    void SetOutputDescriptors(int nOutput, int nError);
    // The child's process id (and group), or 0.
    qint64 ProcessId() const;
    // Waits (running the event loop) until the child has finished, at most nMs.
    bool WaitForFinished(int nMs);

    static constexpr int kKillAfterMs = 3000;

private:
    void SignalGroup(int nSignal);

    QProcess m_process;
    QTimer* m_pKillTimer;
    qint64 m_nGroup = 0;
    int m_nChildOutput = -1;
    int m_nChildError = -1;
    bool m_bStopped = false;
};
