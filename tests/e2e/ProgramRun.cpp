#include "ProgramRun.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace
{
double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string TitleOf(Display* pDisplay, Window window)
{
    char* pName = nullptr;
    std::string title;
    if (XFetchName(pDisplay, window, &pName) != 0 && pName != nullptr)
    {
        title = pName;
        XFree(pName);
    }
    return title;
}
using FileStamp = std::tuple<ino_t, long, long, off_t>;

FileStamp StampOf(const std::string& path)
{
    struct stat status
    {
    };
    if (stat(path.c_str(), &status) != 0)
        return {};
    return {status.st_ino, status.st_mtim.tv_sec, status.st_mtim.tv_nsec, status.st_size};
}
} // namespace

std::string FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

CProgramRun::CProgramRun(const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment, bool bAsNobody,
                         const std::string& program)
{
    m_pDisplay = XOpenDisplay(nullptr);
    if (m_pDisplay != nullptr)
    {
        XSelectInput(m_pDisplay, DefaultRootWindow(m_pDisplay), SubstructureNotifyMask);
        XSync(m_pDisplay, False);
    }
    // Everything the child needs is made before the fork.
    std::vector<std::string> argumentStore{program};
    argumentStore.insert(argumentStore.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argumentStore)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> environmentStore;
    for (const char* pVariable :
         {"DISPLAY", "PATH", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
    {
        if (const char* pValue = std::getenv(pVariable); pValue != nullptr)
            environmentStore.push_back(std::string(pVariable) + "=" + pValue);
    }
    environmentStore.push_back("QT_QPA_PLATFORM=xcb");
    // An installed package's system-wide configuration stays out of the cases.
    if (environment.count("XDG_CONFIG_DIRS") == 0)
        environmentStore.push_back("XDG_CONFIG_DIRS=/nonexistent/corvale-tests");
    for (const auto& [name, value] : environment)
        environmentStore.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& variable : environmentStore)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    m_startSeconds = Now();
    m_pid = fork();
    if (m_pid == 0)
    {
        if (bAsNobody && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
}

CProgramRun::~CProgramRun()
{
    COutcome ignored;
    Finish(ignored);
    if (m_pDisplay != nullptr)
        XCloseDisplay(m_pDisplay);
}

bool CProgramRun::Reap(COutcome& outcome, bool bWait)
{
    if (m_bReaped || m_pid <= 0)
        return m_bReaped;
    int nStatus = 0;
    rusage usage{};
    const pid_t reaped = wait4(m_pid, &nStatus, bWait ? 0 : WNOHANG, &usage);
    if (reaped != m_pid)
        return false;
    m_bReaped = true;
    outcome.nPeakKb = usage.ru_maxrss;
    if (WIFEXITED(nStatus))
    {
        outcome.nExitStatus = WEXITSTATUS(nStatus);
        outcome.nSignal = 0;
    }
    else if (WIFSIGNALED(nStatus))
        outcome.nSignal = WTERMSIG(nStatus);
    return true;
}

void CProgramRun::PressKey(unsigned long window, unsigned long keysym, bool bControl)
{
    XSetInputFocus(m_pDisplay, window, RevertToParent, CurrentTime);
    const KeyCode control = XKeysymToKeycode(m_pDisplay, XK_Control_L);
    const KeyCode key = XKeysymToKeycode(m_pDisplay, keysym);
    if (bControl)
        XTestFakeKeyEvent(m_pDisplay, control, True, CurrentTime);
    XTestFakeKeyEvent(m_pDisplay, key, True, CurrentTime);
    XTestFakeKeyEvent(m_pDisplay, key, False, CurrentTime);
    if (bControl)
        XTestFakeKeyEvent(m_pDisplay, control, False, CurrentTime);
    XFlush(m_pDisplay);
}

COutcome CProgramRun::WaitForWindowOrEnd(double nLimitSeconds)
{
    COutcome outcome;
    if (m_pDisplay == nullptr || m_pid <= 0)
        return outcome;
    unsigned long message = 0;
    double nMessageSince = 0;
    while (Now() - m_startSeconds < nLimitSeconds)
    {
        if (Reap(outcome, false))
        {
            outcome.bExited = outcome.nSignal == 0;
            break;
        }
        pollfd connection{ConnectionNumber(m_pDisplay), POLLIN, 0};
        if (XPending(m_pDisplay) == 0)
            poll(&connection, 1, 20);
        while (XPending(m_pDisplay) > 0)
        {
            XEvent event;
            XNextEvent(m_pDisplay, &event);
            if (event.type == UnmapNotify && event.xunmap.window == message)
                message = 0;
            if (event.type != MapNotify)
                continue;
            const std::string title = TitleOf(m_pDisplay, event.xmap.window);
            if (title.find("Corvale - VORSA") != std::string::npos)
            {
                outcome.bWindow = true;
                outcome.title = title;
                m_mainWindow = event.xmap.window;
            }
            else if (title == "Corvale")
            {
                ++outcome.nMessages;
                message = event.xmap.window;
                nMessageSince = Now();
                PressKey(message, XK_Return, false);
            }
        }
        if (outcome.bWindow)
            break;
        // A box that took the key before it could use it gets it again.
        if (message != 0 && Now() - nMessageSince > 1.0)
        {
            nMessageSince = Now();
            PressKey(message, XK_Return, false);
        }
    }
    outcome.seconds = Now() - m_startSeconds;
    return outcome;
}

bool CProgramRun::SaveAndWait(const std::string& path, double nLimitSeconds)
{
    if (m_mainWindow == 0)
        return false;
    // A save replaces the file with a new one, so even a save of the same
    // bytes shows as another inode or a later modification time.
    const FileStamp before = StampOf(path);
    PressKey(m_mainWindow, XK_s, true);
    const double nStart = Now();
    double nPressed = nStart;
    while (Now() - nStart < nLimitSeconds)
    {
        if (StampOf(path) != before)
        {
            // The rename comes last, but give a direct write time to finish.
            usleep(200000);
            return true;
        }
        if (Now() - nPressed > 1.0)
        {
            nPressed = Now();
            PressKey(m_mainWindow, XK_s, true);
        }
        usleep(20000);
    }
    return false;
}

void CProgramRun::Press(unsigned long keysym, bool bControl)
{
    if (m_mainWindow != 0)
        PressKey(m_mainWindow, keysym, bControl);
    XSync(m_pDisplay, False);
    usleep(50000);
}

void CProgramRun::Type(const std::string& text)
{
    for (const char c : text)
        Press(static_cast<unsigned long>(static_cast<unsigned char>(c)));
}

std::vector<unsigned> CProgramRun::GrabMainWindow(int& nWidth, int& nHeight)
{
    std::vector<unsigned> pixels;
    XWindowAttributes attributes{};
    if (m_mainWindow == 0 || XGetWindowAttributes(m_pDisplay, m_mainWindow, &attributes) == 0)
        return pixels;
    nWidth = attributes.width;
    nHeight = attributes.height;
    XImage* pImage = XGetImage(m_pDisplay, m_mainWindow, 0, 0, static_cast<unsigned>(nWidth),
                               static_cast<unsigned>(nHeight), AllPlanes, ZPixmap);
    if (pImage == nullptr)
        return pixels;
    pixels.reserve(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight));
    for (int y = 0; y < nHeight; ++y)
    {
        for (int x = 0; x < nWidth; ++x)
            pixels.push_back(static_cast<unsigned>(XGetPixel(pImage, x, y) & 0xFFFFFF));
    }
    XDestroyImage(pImage);
    return pixels;
}

double CProgramRun::CloseAndWait(COutcome& outcome, double nLimitSeconds)
{
    if (m_pDisplay == nullptr || m_mainWindow == 0 || m_bReaped)
        return -1;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = m_mainWindow;
    event.xclient.message_type = XInternAtom(m_pDisplay, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_pDisplay, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_pDisplay, m_mainWindow, False, NoEventMask, &event);
    XFlush(m_pDisplay);
    const double start = Now();
    while (Now() - start < nLimitSeconds)
    {
        if (Reap(outcome, false))
        {
            outcome.bExited = outcome.nSignal == 0;
            return Now() - start;
        }
        usleep(10000);
    }
    return -1;
}

void CProgramRun::Finish(COutcome& outcome)
{
    if (m_pid <= 0 || m_bReaped)
        return;
    if (!Reap(outcome, false))
    {
        kill(m_pid, SIGKILL);
        Reap(outcome, true);
        outcome.nSignal = 0; // killed by the test, not by a fault
    }
}
