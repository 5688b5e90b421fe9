#pragma once

#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

typedef struct _XDisplay Display;

// What became of one start of the real program.
struct COutcome
{
    bool bWindow = false; // the main window came up
    std::string title;    // the main window's title
    int nMessages = 0;    // message boxes it showed, each answered with Enter
    bool bExited = false; // it ended by itself
    int nExitStatus = -1;
    int nSignal = 0;    // the signal that ended it, if one did
    double seconds = 0; // to the window, or to its end
    long nPeakKb = 0;   // peak resident memory, once it has ended
};

// The real program, started on this test's own X server with the given
// arguments and environment, watched from outside as a user would see it:
// windows mapped, message boxes answered with Enter, keys typed.
class CProgramRun
{
public:
    // The program is the one built here unless another is named.
    CProgramRun(const std::vector<std::string>& arguments,
                const std::map<std::string, std::string>& environment, bool bAsNobody = false,
                const std::string& program = CORVALE_PROGRAM);
    ~CProgramRun();
    CProgramRun(const CProgramRun&) = delete;
    CProgramRun& operator=(const CProgramRun&) = delete;

    // Until the main window is mapped or the program ends, answering every
    // message box on the way; at most the given time.
    COutcome WaitForWindowOrEnd(double nLimitSeconds);
    // Ctrl+S in the main window; true once the file on disk has been
    // replaced or rewritten, within the given time.
    bool SaveAndWait(const std::string& path, double nLimitSeconds);
    // A key (an X keysym), or ASCII text key by key, typed into the main window.
    void Press(unsigned long keysym, bool bControl = false);
    void Type(const std::string& text);
    // The main window's pixels as the X server has them, 0xRRGGBB by rows;
    // empty when there is no main window.
    std::vector<unsigned> GrabMainWindow(int& nWidth, int& nHeight);

    // Closes the main window as a window manager does (WM_DELETE_WINDOW) and
    // waits for the program to end; the seconds that took, or a negative
    // number when it did not end within the limit.
    double CloseAndWait(COutcome& outcome, double nLimitSeconds);

    // Ends the program (if it still runs) and fills in its peak memory.
    void Finish(COutcome& outcome);

private:
    bool Reap(COutcome& outcome, bool bWait);
    void PressKey(unsigned long window, unsigned long keysym, bool bControl);

    Display* m_pDisplay = nullptr;
    pid_t m_pid = -1;
    unsigned long m_mainWindow = 0;
    double m_startSeconds = 0;
    bool m_bReaped = false;
};

// The bytes of a file, or "" when it cannot be read.
std::string FileBytes(const std::string& path);
