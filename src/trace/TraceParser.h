#pragma once

#include <string>
#include <string_view>
#include <vector>

// Reads the output of a run, line by line, for the places it names: Tcl's
// error traces (the message, then the commands from the failing one outwards,
// each with the frame that says where it stood) and the plain forms
// "F:N:" and "F line N" that other programs print.
//
// A trace as Tcl writes it:
//     invalid command name "nodee"
//         while executing
//     "nodee 12 0.0 3.5"
//         (procedure "addStory" line 4)
//         invoked from within
//     "addStory 3"
//         (file "frame.tcl" line 41)
// A command run by compiled code or by a command of C may come without a
// frame of its own; the mapper finds it inside the command that ran it.
class CTraceParser
{
public:
    enum class EFrameKind
    {
        None,      // the command has no frame line
        File,      // (file "F" line N)
        Procedure, // (procedure "P" line N)
        Body,      // ("foreach" body line N), ("if" then script line N), ...
        Other,     // a frame of some other kind, kept so the chain holds
    };

    struct CFrame
    {
        EFrameKind kind = EFrameKind::None;
        std::string name; // the file, the procedure, or the command whose body it is
        std::string part; // for a body: "body", "then script", "else script", ...
        long nLine = 0;   // the line the frame gives, from 1
        // Where the frame stands in the output: its line and byte columns [nFrom, nTo).
        long nOutputLine = -1;
        size_t nFrom = 0;
        size_t nTo = 0;
    };

    // One command of a trace and the frame that says where it stood.
    struct CStep
    {
        std::string command;    // as quoted, without the quotes; "..." where Tcl cut it short
        long nCommandLine = -1; // the output line its quote opens on
        CFrame frame;
    };

    struct CTrace
    {
        std::string message; // the line before "while executing"
        long nMessageLine = -1;
        std::vector<CStep> steps; // the failing command first
    };

    // A place named in plain text: "F:N:" or "F line N".
    struct CPlainLink
    {
        std::string path;
        long nLine = 0;
        long nOutputLine = -1;
        size_t nFrom = 0;
        size_t nTo = 0;
    };

    // The next line of the output, without its line break (a CR left at its
    // end is ignored).
    void AddLine(std::string_view line);
    // The end of the output: a trace cut off in the middle is given out as far as it came.
    void Finish();

    // Traces ended since the last call, in order.
    std::vector<CTrace> TakeTraces();
    // Plain places found since the last call, in order.
    std::vector<CPlainLink> TakePlainLinks();

    // A frame line's contents; false when the line is none.
    static bool ParseFrame(std::string_view line, CFrame& frame);
    // The plain places on a line (none on a line of a trace).
    static void FindPlainLinks(std::string_view line, long nOutputLine,
                               std::vector<CPlainLink>& links);

    // A quoted command longer than this many lines ends the trace: it is not one.
    static constexpr int kMaxCommandLines = 200;
    // A message is kept to this many bytes.
    static constexpr size_t kMaxMessageBytes = 1000;

private:
    enum class EState
    {
        Idle,
        Command, // reading a quoted command
        Frame,   // the command is complete: its frame, or the chain goes on, or it ends
    };

    // A trace opens; the line before the opener is its message.
    void StartTrace();
    void EndTrace();
    // The command read so far becomes a step of the trace, with its frame.
    void PushStep(CFrame frame);
    void IdleLine(std::string_view line);

    EState m_state = EState::Idle;
    CTrace m_trace;
    std::string m_command;
    int m_nCommandLines = 0;
    long m_nCommandStart = -1;
    bool m_bCommandMayEnd = false; // the last line of the command ended in a quote
    std::string m_previous;        // the last line read while idle: a trace's message
    long m_nPreviousLine = -1;
    long m_nLine = 0;
    std::vector<CTrace> m_done;
    std::vector<CPlainLink> m_links;
};
