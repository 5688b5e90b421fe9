#pragma once

#include "ProcessChannel.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// A process channel over CSubprocess: the program runs on a thread of the
// channel's own, in a process group of its own, and what it reports (output,
// its end) is handed to the owner's thread through post, so the owner never
// waits on a child. A stop is SIGTERM to the group, then SIGKILL to what is
// left kKillAfterMs on.
class CSubprocessChannel : public CProcessChannel
{
public:
    // Runs a call on the owner's thread, later; a call that comes after the
    // channel is gone does nothing.
    using Post = std::function<void(std::function<void()> call)>;
    explicit CSubprocessChannel(Post post);
    // Ends a run still going, and waits for its thread.
    ~CSubprocessChannel() override;
    CSubprocessChannel(const CSubprocessChannel&) = delete;
    CSubprocessChannel& operator=(const CSubprocessChannel&) = delete;

    bool Start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingDirectory) override;
    void Stop() override;
    // From a start until OnFinished is called on the owner's thread.
    bool IsRunning() const override { return m_bRunning; }
    // The next start gives the child these as its standard output and error
    // (write ends of pipes whose other ends someone else reads); OnOutput is
    // then not called. -1 for the channel's own pipes.
    void SetOutputDescriptors(int nOutput, int nError);
    // The running child's process id (and group), or 0.
    long ProcessId() const { return m_nProcessId; }

    static constexpr int kKillAfterMs = 3000;

private:
    Post m_post;
    // Shared with the calls posted, which do nothing once the channel is gone.
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_startDecided;
    enum class EStart
    {
        Waiting,
        Started,
        Failed,
    } m_start = EStart::Waiting;
    std::atomic<bool> m_bStop{false};
    std::atomic<long> m_nProcessId{0};
    bool m_bRunning = false;
    int m_nOutput = -1;
    int m_nError = -1;
};
