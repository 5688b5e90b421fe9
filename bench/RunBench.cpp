// A run in the Output pane, in the program's shown window on a real X server:
// how fast a flood of output reaches the pane, what it does to a key typed
// meanwhile, and how long mapping a deep Tcl trace takes. bench.sh runs this
// program on a private Xvfb server.
#include "BenchFigures.h"
#include "BenchTiming.h"
#include "app/CorvaleApp.h"
#include "app/MainFrame.h"
#include "check/ScriptChecker.h"
#include "editor/ScriptEdit.h"
#include "panes/OutputPane.h"
#include "panes/OutputText.h"
#include "panes/RunSession.h"
#include "platform/ScriptedUserInteraction.h"
#include "trace/TraceMapper.h"
#include "trace/TraceParser.h"
#include "view/CorvaleView.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <Qsci/qsciscintillabase.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace
{
void WriteFile(const std::string& path, const std::string& text, bool bExecutable = false)
{
    std::ofstream(path, std::ios::binary) << text;
    if (bExecutable)
        chmod(path.c_str(), 0755);
}

// The program in a shown window on a small script, its "analysis program" a
// stand-in that writes lines of 79 characters and a line break: as many as
// the script's first line says, or without end for 0.
class CProgramWithFlood
{
public:
    CProgramWithFlood()
    {
        const std::string dir = m_dir.path().toStdString() + "/";
        WriteFile(dir + "flood",
                  "#!/bin/sh\n"
                  "n=$(head -n 1 \"$1\")\n"
                  "line=$(printf '%079d' 0)\n"
                  "if [ \"$n\" = 0 ]; then exec yes \"$line\"; fi\n"
                  "yes \"$line\" | head -n \"$n\"\n",
                  true);
        WriteFile(dir + "stop.exe", "#!/bin/sh\n", true);
        std::filesystem::create_directories(dir + "corvale");
        WriteFile(dir + "corvale/corvale.conf", "help " CORVALE_SOURCE_DIR "/share/help/\nexe " +
                                                    dir + "flood\nbin " + dir + "\n");
        qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
        qputenv("PATH", QByteArray(CORVALE_BATCH_DIR ":") + qgetenv("PATH"));
        m_script = dir + "script.tcl";
        WriteFile(m_script, "0\n" + std::string(200, '#') + "\nset a 1\n");
        m_app.InitInstance({"corvale", m_script});
        m_pFrame = m_app.MainFrame();
        m_pFrame->resize(1200, 900);
        m_pFrame->show();
        (void)QTest::qWaitForWindowExposed(m_pFrame);
        m_pFrame->GetOutputPane()->show();
        Flush();
    }

    // Lines to write: 0 for a flood without end.
    void SetLines(long nLines)
    {
        WriteFile(m_script, std::to_string(nLines) + "\n" + std::string(200, '#') + "\nset a 1\n");
    }
    CMainFrame& Frame() { return *m_pFrame; }
    CRunSession& Session() { return m_pFrame->RunSession(); }
    CScriptEdit& Edit() { return m_pFrame->GetRightPane()->EditPane(); }

private:
    QTemporaryDir m_dir;
    std::string m_script;
    CScriptedUserInteraction m_ui;
    CCorvaleApp m_app;
    CMainFrame* m_pFrame = nullptr;
};

// 100 MB of 80-character lines, from F5 until the pane has painted its last line.
void BM_RunOutput100Mb(benchmark::State& state)
{
    CProgramWithFlood program;
    constexpr long kLines = 1310720; // 100 MiB of 80-byte lines
    program.SetLines(kLines);
    double seconds = 0;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        program.Frame().OnRunInOutputPane();
        while (program.Session().IsRunning())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        Flush();
        seconds = Seconds(start);
        state.SetIterationTime(seconds);
        if (program.Frame().GetOutputPane()->Text().LinesWritten() < kLines)
            state.SkipWithError("not every line came");
    }
    ReportFigure("run_output_mb_per_s", 100.0 / seconds, "MB/s");
}
BENCHMARK(BM_RunOutput100Mb)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// A key typed into the editing pane to its painted frame, while a run floods
// the Output pane, against the same key with no run; taken in turns.
void BM_KeystrokeDuringOutput(benchmark::State& state)
{
    CProgramWithFlood program;
    program.SetLines(0);
    CScriptEdit& edit = program.Edit();
    edit.setFocus();
    std::vector<double> samples[2];
    for (auto _ : state)
    {
        for (int nRound = 0; nRound < 4; ++nRound)
        {
            for (const int bFlooding : {0, 1})
            {
                if (bFlooding)
                {
                    program.Frame().OnRunInOutputPane();
                    // The flood under way.
                    const auto start = std::chrono::steady_clock::now();
                    while (Seconds(start) < 0.3)
                        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                }
                for (int n = 0; n < 25; ++n)
                {
                    const long nEnd = edit.LineIndex(2) + edit.LineLength(edit.LineIndex(2));
                    edit.SetSel(nEnd, nEnd);
                    const auto start = std::chrono::steady_clock::now();
                    QTest::keyClick(&edit, Qt::Key_T);
                    Flush();
                    samples[bFlooding].push_back(Seconds(start));
                    QTest::keyClick(&edit, Qt::Key_Backspace);
                    // A typist's pace, so that output comes between the keys.
                    const auto pause = std::chrono::steady_clock::now();
                    while (Seconds(pause) < 0.03)
                        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                }
                if (bFlooding)
                {
                    program.Session().Stop();
                    program.Session().WaitForFinished(10000);
                }
            }
        }
        state.SetIterationTime(Median(samples[1]));
    }
    ReportFigure("window_keystroke_during_output_vs_idle", Median(samples[1]) / Median(samples[0]),
                 "ratio");
    ReportFigure("window_keystroke_during_output_ms", Median(samples[1]) * 1e3, "ms");
    ReportFigure("window_keystroke_idle_ms", Median(samples[0]) * 1e3, "ms");
}
BENCHMARK(BM_KeystrokeDuringOutput)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// A trace 10,000 frames deep (a procedure calling itself, from a loop's
// body), read from the output and mapped into the script.
void BM_TraceMap10kFrames(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    WriteFile(folder + "deep.tcl", "proc down {n} {\n"
                                   "    if {$n > 0} {\n"
                                   "        down [expr {$n - 1}]\n"
                                   "    }\n"
                                   "    nodee\n"
                                   "}\n"
                                   "foreach i {1} {\n"
                                   "    down 9998\n"
                                   "}\n");
    std::vector<std::string> lines = {"invalid command name \"nodee\"", "    while executing",
                                      "\"nodee\"", "    (procedure \"down\" line 5)"};
    for (int n = 0; n < 9997; ++n)
    {
        lines.insert(lines.end(), {"    invoked from within", "\"down [expr {$n - 1}]\"",
                                   "    (procedure \"down\" line 3)"});
    }
    lines.insert(lines.end(),
                 {"    invoked from within", "\"down 9998\"", "    (\"foreach\" body line 2)",
                  "    invoked from within", "\"foreach i {1} {", "    down 9998", "}\"",
                  "    (file \"deep.tcl\" line 7)"});
    size_t nPlaces = 0;
    for (auto _ : state)
    {
        CTraceParser parser;
        for (const std::string& line : lines)
            parser.AddLine(line);
        parser.Finish();
        CTraceMapper mapper(folder, folder + "deep.tcl", &CScriptChecker::ReadFile);
        for (const CTraceParser::CTrace& trace : parser.TakeTraces())
            nPlaces += mapper.Map(trace).size();
    }
    if (nPlaces == 0)
        state.SkipWithError("nothing mapped");
}
BENCHMARK(BM_TraceMap10kFrames)->Unit(benchmark::kMillisecond)->Iterations(20);
} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksAndPrintFigures(
        argc, argv, {}, {{"trace_map_10k_frames_ms", "BM_TraceMap10kFrames/iterations:20", "ms"}});
}
