// What the user feels, in shown windows on a real X server: a key and its
// repaint, Replace All, Comment over many lines, the command tree of a large
// library, and start-up to a coloured window. bench.sh runs this program on a
// private Xvfb server; anchors are plain QScintilla windows in the same run.
#include "BenchFigures.h"
#include "BenchTiming.h"
#include "GeneratedLibrary.h"
#include "GeneratedScript.h"
#include "ScintillaReplaceLoop.h"
#include "app/CorvaleApp.h"
#include "app/MainFrame.h"
#include "dryrun/DryRunResult.h"
#include "editor/AnalysisMarks.h"
#include "editor/CompletionPopup.h"
#include "editor/CorvaleDoc.h"
#include "editor/ScriptEdit.h"
#include "platform/ScriptedUserInteraction.h"
#include "view/LeftView.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <Qsci/qscilexertcl.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>
#include <malloc.h>
#include <map>

namespace
{
// The editing pane as the view sets it up, shown in a window of its own.
struct CShownEditor
{
    CShownEditor()
    {
        edit.AttachTo(doc, summary, edit);
        edit.LoadHelpFiles(BenchLibrary().Directory());
        edit.resize(1000, 700);
        edit.show();
        (void)QTest::qWaitForWindowExposed(&edit);
        Flush();
    }

    CScriptedUserInteraction ui;
    CTextControl summary;
    CCorvaleDoc doc;
    CScriptEdit edit;
};

// A key typed at the end of a line, to its painted frame; then taken back
// with Backspace (not timed).
double KeyAtEndOfLine(CShownEditor& editor, long nLine)
{
    const long nEnd =
        editor.edit.LineIndex(nLine) + editor.edit.LineLength(editor.edit.LineIndex(nLine));
    editor.edit.SetSel(nEnd, nEnd);
    editor.edit.ScrollCaret();
    Flush();
    const auto start = std::chrono::steady_clock::now();
    QTest::keyClick(&editor.edit, Qt::Key_T);
    Flush();
    const double seconds = Seconds(start);
    QTest::keyClick(&editor.edit, Qt::Key_Backspace);
    return seconds;
}

// A plain QScintilla with Scintilla's Tcl lexer, shown: the anchor.
struct CShownScintilla
{
    CShownScintilla()
    {
        control.setUtf8(false);
        control.SendScintilla(QsciScintillaBase::SCI_SETEOLMODE, QsciScintillaBase::SC_EOL_CRLF);
        // Scintilla's own work only: no modification notices, for which
        // QScintilla counts characters from the start for its accessibility events.
        control.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0UL);
        control.setLexer(&lexer);
        control.resize(1000, 700);
        control.show();
        (void)QTest::qWaitForWindowExposed(&control);
    }

    void SetText(const std::string& text)
    {
        control.setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        Flush();
    }

    QsciLexerTCL lexer;
    QsciScintilla control;
};

std::map<long, double>& KeystrokeMedians()
{
    static std::map<long, double> s_medians;
    return s_medians;
}

// A character typed at the end of a line of the coloured script, to the
// painted frame; taken back with Backspace (not timed).
void BM_WindowKeystroke(benchmark::State& state)
{
    CShownEditor editor;
    editor.edit.SetWindowText(BenchScript());
    editor.edit.FontifyAll();
    const long nLine = state.range(0);
    std::vector<double> samples;
    for (auto _ : state)
    {
        const double seconds = KeyAtEndOfLine(editor, nLine);
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
        Flush();
    }
    KeystrokeMedians()[nLine] = Median(samples);
    if (KeystrokeMedians().count(10) != 0 && KeystrokeMedians().count(50000) != 0)
    {
        ReportFigure("window_keystroke_line50k_vs_line10",
                     KeystrokeMedians()[50000] / KeystrokeMedians()[10], "ratio");
        ReportFigure("window_keystroke_line50k_us", KeystrokeMedians()[50000] * 1e6, "us");
    }
}
BENCHMARK(BM_WindowKeystroke)
    ->Arg(10)
    ->Arg(50000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

// 10,000 presses of Down through the coloured script, each to its painted
// frame, with the summary pane shown beside the editing pane: with help on,
// the help follows the caret; with help off, the pane stays as it is. The two
// take turns in blocks of 1,000 presses, so a change of load falls on both.
void BM_WindowArrowDown10k(benchmark::State& state)
{
    constexpr int kBlocks = 10;
    constexpr int kPressesPerBlock = 1000;
    CShownEditor editor;
    editor.summary.resize(1000, 200);
    editor.summary.show();
    (void)QTest::qWaitForWindowExposed(&editor.summary);
    editor.edit.SetWindowText(BenchScript());
    editor.edit.FontifyAll();
    editor.edit.setFocus();
    double seconds[2] = {0, 0};
    for (auto _ : state)
    {
        for (int nBlock = 0; nBlock < kBlocks; ++nBlock)
        {
            for (const int bHelpOn : {0, 1})
            {
                editor.edit.m_bHelpOn = bHelpOn;
                const long nFrom = editor.edit.LineIndex(nBlock * kPressesPerBlock);
                editor.edit.SetSel(nFrom, nFrom);
                editor.edit.ScrollCaret();
                Flush();
                const auto start = std::chrono::steady_clock::now();
                for (int n = 0; n < kPressesPerBlock; ++n)
                {
                    QTest::keyClick(&editor.edit, Qt::Key_Down);
                    Flush();
                }
                seconds[bHelpOn] += Seconds(start);
            }
        }
        state.SetIterationTime(seconds[0] + seconds[1]);
    }
    // Help on against help off.
    ReportFigure("window_arrow_down_10k_lines_ms", seconds[1] / seconds[0], "ratio");
    ReportFigure("window_arrow_down_10k_lines_help_on_ms", seconds[1] * 1e3, "ms");
    ReportFigure("window_arrow_down_10k_lines_help_off_ms", seconds[0] * 1e3, "ms");
}
BENCHMARK(BM_WindowArrowDown10k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

std::map<int, double>& CheckKeystrokeMedians()
{
    static std::map<int, double> s_medians;
    return s_medians;
}

// Typing at line 50,000 with the script check on, against the same with it
// off: a key to its painted frame, taken back with Backspace (not timed),
// then a pause as a typist makes one, long enough for the check to run over
// the 2 MB script; the same pause with the check off.
void BM_WindowKeystrokeWithCheck(benchmark::State& state)
{
    CShownEditor editor;
    editor.edit.SetWindowText(BenchScript());
    editor.edit.FontifyAll();
    const bool bCheck = state.range(0) != 0;
    CAnalysisMarks& problems = editor.edit.Analysis();
    problems.SetEnabled(bCheck);
    if (bCheck)
        problems.WaitForResult(60000); // what the check knows of the library, read once
    const long nLine = 50000;
    std::vector<double> samples;
    for (auto _ : state)
    {
        const double seconds = KeyAtEndOfLine(editor, nLine);
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
        const auto pause = std::chrono::steady_clock::now();
        if (bCheck)
            problems.WaitForResult(60000);
        while (Seconds(pause) < 0.5)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    CheckKeystrokeMedians()[bCheck ? 1 : 0] = Median(samples);
    if (CheckKeystrokeMedians().size() == 2)
        ReportFigure("window_keystroke_line50k_with_check_vs_without",
                     CheckKeystrokeMedians()[1] / CheckKeystrokeMedians()[0], "ratio");
}
BENCHMARK(BM_WindowKeystrokeWithCheck)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(60);

// Typing at line 50,000 with the dry run on, against the same with it off
// (the check on in both), in turns of five keys each: a key to its painted
// frame, taken back with Backspace (not timed), then a pause a little longer
// than the dry run's, so that with it on the next key comes while the
// sandbox runs the 2 MB script.
void BM_WindowKeystrokeWithDryRun(benchmark::State& state)
{
    constexpr int kRounds = 6;
    constexpr int kKeysPerTurn = 5;
    CShownEditor editor;
    editor.edit.SetWindowText(BenchScript());
    editor.edit.FontifyAll();
    CAnalysisMarks& dryRun = editor.edit.Analysis();
    editor.edit.Analysis().WaitForResult(60000);
    const long nLine = 50000;
    // The sandbox runs this script to its end when nobody types.
    dryRun.SetHelper(CORVALE_DRYRUN, BenchLibrary().Directory());
    dryRun.AnalyseNow();
    if (!dryRun.WaitForComplete(20000) || !dryRun.DryRunResult() ||
        dryRun.DryRunResult()->Report().calls.empty())
        state.SkipWithError("the dry run of the script did not come back");
    for (int n = 0; n < 5; ++n)
        (void)KeyAtEndOfLine(editor, nLine);
    std::vector<double> samples[2];
    for (auto _ : state)
    {
        for (int nRound = 0; nRound < kRounds; ++nRound)
        {
            for (const int bDryRun : {0, 1})
            {
                dryRun.SetHelper(bDryRun ? CORVALE_DRYRUN : "", BenchLibrary().Directory());
                for (int n = 0; n < kKeysPerTurn; ++n)
                {
                    const double seconds = KeyAtEndOfLine(editor, nLine);
                    samples[bDryRun].push_back(seconds);
                    const auto pause = std::chrono::steady_clock::now();
                    while (Seconds(pause) < CAnalysisMarks::kDryRunPauseMs / 1000.0 + 0.15)
                        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                }
            }
        }
        state.SetIterationTime(Median(samples[1]));
    }
    ReportFigure("window_keystroke_line50k_with_dryrun_vs_without",
                 Median(samples[1]) / Median(samples[0]), "ratio");
}
BENCHMARK(BM_WindowKeystrokeWithDryRun)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(1);

// Two processes that spin at normal priority for as long as they live: the
// machine busy with something else, as while an analysis runs.
struct CBusyMachine
{
    explicit CBusyMachine(bool bBusy)
    {
        for (int n = 0; bBusy && n < 2; ++n)
        {
            auto pSpinner = std::make_unique<QProcess>();
            pSpinner->start(QStringLiteral("/bin/sh"),
                            {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
            pSpinner->waitForStarted();
            spinners.push_back(std::move(pSpinner));
        }
    }
    ~CBusyMachine()
    {
        for (auto& pSpinner : spinners)
        {
            pSpinner->kill();
            pSpinner->waitForFinished();
        }
    }
    std::vector<std::unique_ptr<QProcess>> spinners;
};

// A mistake typed into the 2 MB script (a letter before a command at line
// 50,000, the caret moved on to the next line at once) until its squiggle
// is painted: the pause after typing, the check on its worker, the marks;
// with the machine idle, and with both cores busy.
void BM_WindowCheckAfterKeystroke(benchmark::State& state)
{
    const bool bBusy = state.range(0) != 0;
    CShownEditor editor;
    editor.edit.SetWindowText(BenchScript());
    editor.edit.FontifyAll();
    CAnalysisMarks& problems = editor.edit.Analysis();
    problems.AnalyseNow();
    problems.WaitForResult(60000);
    const CBusyMachine machine(bBusy);
    std::vector<double> samples;
    for (auto _ : state)
    {
        // A line that starts with a command known to the library.
        long nLine = 50000;
        while (editor.edit.GetLine(nLine).rfind("node ", 0) != 0)
            ++nLine;
        const long nStart = editor.edit.LineIndex(nLine);
        editor.edit.SetSel(nStart, nStart);
        Flush();
        const auto marked = [&]
        {
            for (const auto& [nFrom, nTo] :
                 editor.edit.IndicatorRanges(CTextControl::kErrorIndicator, nStart, nStart + 6))
                if (nFrom == nStart)
                    return true;
            return false;
        };
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(&editor.edit, Qt::Key_X);
        QTest::keyClick(&editor.edit, Qt::Key_Down);
        while (!marked() && Seconds(start) < 10)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        Flush();
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
        editor.edit.SetSel(nStart + 1, nStart + 1);
        QTest::keyClick(&editor.edit, Qt::Key_Backspace);
        problems.WaitForResult(60000);
    }
    ReportFigure(bBusy ? "check_after_keystroke_busy_ms" : "check_after_keystroke_ms",
                 Median(samples) * 1e3, "ms");
}
BENCHMARK(BM_WindowCheckAfterKeystroke)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);

// A mistake only running shows, typed into the demo (a letter after
// $bayWidth, so that the variable read does not exist; the caret moved on at
// once), until the dry run's finding is in the list and drawn: both pauses,
// the check, the helper's run, the marks.
void BM_WindowDryRunAfterKeystroke(benchmark::State& state)
{
    CShownEditor editor;
    editor.edit.LoadHelpFiles(CORVALE_SOURCE_DIR "/share/help/");
    editor.edit.Analysis().SetHelper(CORVALE_DRYRUN, CORVALE_SOURCE_DIR "/share/help/");
    if (!editor.doc.OnOpenDocument(CORVALE_SOURCE_DIR "/share/demo/example.tcl"))
    {
        state.SkipWithError("the demo did not open");
        return;
    }
    CAnalysisMarks& analysis = editor.edit.Analysis();
    analysis.WaitForComplete(20000);
    const std::string text = editor.edit.GetWindowText();
    const long nAfter = static_cast<long>(text.find("node 2 $bayWidth") + 16);
    std::vector<double> samples;
    for (auto _ : state)
    {
        editor.edit.SetSel(nAfter, nAfter);
        Flush();
        const auto found = [&]
        {
            for (const CFinding& finding : analysis.Findings())
            {
                if (finding.rule == "run/error" &&
                    editor.edit.IndicatorAt(CTextControl::kErrorIndicator, finding.nStart))
                    return true;
            }
            return false;
        };
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(&editor.edit, Qt::Key_X);
        QTest::keyClick(&editor.edit, Qt::Key_Down);
        while (!found() && Seconds(start) < 20)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        Flush();
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
        if (seconds >= 20)
            state.SkipWithError("the dry run's finding did not come");
        editor.edit.SetSel(nAfter + 1, nAfter + 1);
        QTest::keyClick(&editor.edit, Qt::Key_Backspace);
        analysis.WaitForComplete(20000);
    }
    ReportFigure("dryrun_after_keystroke_ms", Median(samples) * 1e3, "ms");
}
BENCHMARK(BM_WindowDryRunAfterKeystroke)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Replace All of every " 1" in the script, to the painted window.
void BM_WindowReplaceAll(benchmark::State& state)
{
    CShownEditor editor;
    for (auto _ : state)
    {
        state.PauseTiming();
        editor.edit.SetWindowText(BenchScript());
        Flush();
        state.ResumeTiming();
        editor.edit.ReplaceAll(" 1", " 9", 0);
        Flush();
    }
}
BENCHMARK(BM_WindowReplaceAll)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(2 * kFigureRepetitions + 1)
    ->ReportAggregatesOnly(true);

// The anchor: Scintilla's own search and target replace over the same text.
void BM_WindowScintillaReplaceLoop(benchmark::State& state)
{
    CShownScintilla anchor;
    QsciScintilla& control = anchor.control;
    for (auto _ : state)
    {
        state.PauseTiming();
        anchor.SetText(BenchScript());
        state.ResumeTiming();
        ScintillaReplaceLoop(control, " 1", " 9");
        Flush();
    }
}
BENCHMARK(BM_WindowScintillaReplaceLoop)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(2 * kFigureRepetitions + 1)
    ->ReportAggregatesOnly(true);

// Comment on the first 10,000 lines, selected, to the painted window.
void BM_WindowComment10kLines(benchmark::State& state)
{
    CShownEditor editor;
    for (auto _ : state)
    {
        state.PauseTiming();
        editor.edit.SetWindowText(BenchScript());
        editor.edit.SetSel(0, editor.edit.LineIndex(9999) + 1);
        Flush();
        state.ResumeTiming();
        editor.edit.CommentLines();
        Flush();
    }
}
BENCHMARK(BM_WindowComment10kLines)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(2 * kFigureRepetitions + 1)
    ->ReportAggregatesOnly(true);

// Ctrl+Space on an empty line of a library whose 10,000 records are all
// top-level commands: the longest list a 10,000-record library gives, to the
// painted popup with its tip. Closed with Escape (not timed).
void BM_CompletionList10k(benchmark::State& state)
{
    QTemporaryDir folder;
    {
        std::ofstream(folder.path().toStdString() + "/list.txt") << "commands.txt\n";
        std::ofstream help(folder.path().toStdString() + "/commands.txt");
        for (int n = 0; n < 10000; ++n)
            help << "cmd" << n << ":command\ncmd" << n << " <tag> <value>\n\nA command.\n#\n";
    }
    CShownEditor editor;
    editor.edit.LoadHelpFiles(folder.path().toStdString() + "/");
    editor.edit.SetWindowText("set a 1\r\n\r\nnode 1 0 0\r\n");
    editor.edit.SetSel(9, 9);
    editor.edit.setFocus();
    Flush();
    std::vector<double> samples;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(&editor.edit, Qt::Key_Space, Qt::ControlModifier);
        Flush();
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
        QWidget* pPopup = QApplication::activePopupWidget();
        if (pPopup == nullptr || editor.edit.CompletionPopup()->model()->rowCount() != 10000)
        {
            state.SkipWithError("the list did not come up with 10,000 entries");
            return;
        }
        QTest::keyClick(pPopup, Qt::Key_Escape);
        Flush();
    }
    ReportFigure("completion_list_10k", Median(samples) * 1e6, "us");
}
BENCHMARK(BM_CompletionList10k)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(30);

size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

// The command tree from a library of 100,000 records, shown.
void BM_TreeFill100k(benchmark::State& state)
{
    CGeneratedLibrary library(100, 1000);
    CScriptedUserInteraction ui;
    CTextControl summary;
    CCorvaleDoc doc;
    CScriptEdit edit;
    edit.AttachTo(doc, summary, edit);
    edit.LoadHelpFiles(library.Directory());
    CLeftView tree(&doc);
    tree.resize(250, 700);
    tree.show();
    (void)QTest::qWaitForWindowExposed(&tree);
    // The first fill allocates what the tree keeps; later fills reuse it.
    size_t nBytes = 0;
    bool bFirst = true;
    for (auto _ : state)
    {
        const size_t nBefore = HeapInUse();
        tree.FillCommandTree();
        Flush();
        if (bFirst)
            nBytes = HeapInUse() - nBefore;
        bFirst = false;
    }
    ReportFigure("tree_bytes_per_record", static_cast<double>(nBytes) / 100000.0, "bytes");
}
BENCHMARK(BM_TreeFill100k)->Unit(benchmark::kMillisecond)->Iterations(5);

// The real program started on the demo script with a configured library,
// until its main window is mapped on the X server: by then the library is
// loaded, the script opened and coloured, and the tree filled. The process is
// killed there, so its clean-up is not counted.
class CStartup
{
public:
    explicit CStartup(int nRecords)
        : m_library(std::max(1, nRecords / 1000), std::min(nRecords, 1000))
    {
        QDir(m_home.path()).mkpath(QStringLiteral("corvale"));
        std::ofstream(m_home.path().toStdString() + "/corvale/corvale.conf")
            << "help " << m_library.Directory() << "\n";
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }

    // Seconds to the mapped window, or a negative number when it never came.
    double SecondsToWindow(Display* pDisplay) const
    {
        QProcess program;
        program.setProcessEnvironment(m_environment);
        const auto start = std::chrono::steady_clock::now();
        program.start(QStringLiteral(CORVALE_PROGRAM),
                      {QStringLiteral(CORVALE_SOURCE_DIR "/share/demo/example.tcl")});
        bool bMapped = false;
        while (!bMapped && Seconds(start) < 60)
        {
            XEvent event;
            XNextEvent(pDisplay, &event);
            if (event.type != MapNotify)
                continue;
            char* pName = nullptr;
            if (XFetchName(pDisplay, event.xmap.window, &pName) != 0 && pName != nullptr)
            {
                bMapped = std::string(pName).find("Corvale - VORSA") != std::string::npos;
                XFree(pName);
            }
        }
        const double seconds = Seconds(start);
        program.kill();
        program.waitForFinished();
        return bMapped ? seconds : -1;
    }

private:
    CGeneratedLibrary m_library;
    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
};

// Starts with a 100,000-record and a 10-record library, taking turns, so a
// change in the machine's load falls on both alike; the figures are medians.
void BM_StartupToColouredWindow(benchmark::State& state)
{
    const CStartup large(100000);
    const CStartup small(10);
    Display* pDisplay = XOpenDisplay(nullptr);
    if (pDisplay == nullptr)
    {
        state.SkipWithError("no X display");
        return;
    }
    XSelectInput(pDisplay, DefaultRootWindow(pDisplay), SubstructureNotifyMask);
    std::vector<double> largeSamples;
    std::vector<double> smallSamples;
    for (auto _ : state)
    {
        for (int n = 0; n < 2 * kFigureRepetitions + 1; ++n)
        {
            largeSamples.push_back(large.SecondsToWindow(pDisplay));
            smallSamples.push_back(small.SecondsToWindow(pDisplay));
        }
    }
    XCloseDisplay(pDisplay);
    if (*std::min_element(largeSamples.begin(), largeSamples.end()) < 0 ||
        *std::min_element(smallSamples.begin(), smallSamples.end()) < 0)
    {
        state.SkipWithError("the window did not come up");
        return;
    }
    ReportFigure("startup_100k_vs_10_records", Median(largeSamples) / Median(smallSamples),
                 "ratio");
    ReportFigure("startup_100k_to_coloured_ms", Median(largeSamples) * 1e3, "ms");
    ReportFigure("startup_10_to_coloured_ms", Median(smallSamples) * 1e3, "ms");
}
BENCHMARK(BM_StartupToColouredWindow)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksAndPrintFigures(
        argc, argv,
        {{"window_replace_all_vs_scintilla", "BM_WindowReplaceAll/iterations:1",
          "BM_WindowScintillaReplaceLoop/iterations:1"}},
        {{"window_comment_10k_lines_ms", "BM_WindowComment10kLines/iterations:1", "ms"},
         {"tree_fill_100k_ms", "BM_TreeFill100k/iterations:5", "ms"}});
}
