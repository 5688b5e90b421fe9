// The dry run: the helper on the demo and on a large generated model, from
// the request to the result the editor holds (the helper's start included),
// and one repaint of the large model in a shown Model view. bench.sh runs
// this program on a private Xvfb server.
#include "BenchFigures.h"
#include "BenchTiming.h"
#include "analysis/Analyser.h"
#include "check/CommandKnowledge.h"
#include "dryrun/DryRunResult.h"
#include "helplib/CommandLibrary.h"
#include "panes/ModelView.h"
#include "run/Subprocess.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <fstream>
#include <sstream>

namespace
{
const CCommandLibrary& Library()
{
    static CCommandLibrary* s_pLibrary = []
    {
        auto* pLibrary = new CCommandLibrary;
        pLibrary->Load(CORVALE_SOURCE_DIR "/share/help/");
        return pLibrary;
    }();
    return *s_pLibrary;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// 10,000 nodes on a 100 by 100 grid and 20,000 elements between them, built by loops.
std::string GridScript()
{
    return "model -dims 2 -dofs 3\n"
           "set n 100\n"
           "for {set i 0} {$i < $n} {incr i} {\n"
           "    for {set j 0} {$j < $n} {incr j} {\n"
           "        node [expr {$i * $n + $j + 1}] [expr {$j * 1.5}] [expr {$i * 3.0}]\n"
           "    }\n"
           "}\n"
           "material Elastic 1 200000.0\n"
           "support 1 1 1 1\n"
           "set e 0\n"
           "for {set i 0} {$i < $n} {incr i} {\n"
           "    for {set j 0} {$j < $n - 1} {incr j} {\n"
           "        set a [expr {$i * $n + $j + 1}]\n"
           "        element Truss [incr e] $a [expr {$a + 1}] 0.01 1\n"
           "        element Truss [incr e] [expr {$j * $n + $i + 1}] [expr {($j + 1) * $n + $i + "
           "1}] 0.01 1\n"
           "    }\n"
           "}\n"
           "for {set k 1} {$k <= 200} {incr k} {\n"
           "    element Truss [incr e] $k [expr {$k + $n + 1}] 0.01 1\n"
           "}\n";
}

// The engine's dry run, as its worker makes it: the helper started, the
// text on its input, the answer read.
class CDryRunner
{
public:
    CDryRunner() : m_analyser(Library()) {}

    std::shared_ptr<const CDryRunResult> Run(const std::string& text, const std::string& path)
    {
        return m_analyser.DryRun(std::make_shared<const std::string>(text), path, CORVALE_DRYRUN,
                                 CORVALE_SOURCE_DIR "/share/help/");
    }

private:
    CAnalyser m_analyser;
};

void BM_DryRunDemo(benchmark::State& state)
{
    CDryRunner runner;
    const std::string text = ReadAll(CORVALE_SOURCE_DIR "/share/demo/example.tcl");
    for (auto _ : state)
    {
        const auto pResult = runner.Run(text, CORVALE_SOURCE_DIR "/share/demo/example.tcl");
        if (pResult->Facts().Nodes().size() != 6 || pResult->Facts().Elements().size() != 6)
            state.SkipWithError("the demo did not build its frame");
    }
}
BENCHMARK(BM_DryRunDemo)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_DryRun10kNodes(benchmark::State& state)
{
    CDryRunner runner;
    const std::string text = GridScript();
    for (auto _ : state)
    {
        const auto pResult = runner.Run(text, "/tmp/grid.tcl");
        if (pResult->Facts().Nodes().size() != 10000 ||
            pResult->Facts().Elements().size() != 20000 || !pResult->Facts().Problems().empty())
            state.SkipWithError("the grid did not come out whole");
    }
}
BENCHMARK(BM_DryRun10kNodes)->Unit(benchmark::kMillisecond)->Iterations(5);

// The model rules on a grid of 10,000 by 10 nodes (100,000) and the 190,000
// trusses between neighbours, from the recorded calls: what the engine does
// once a dry run's answer is read.
void BM_ModelCheck100kNodes(benchmark::State& state)
{
    constexpr int kLong = 10000;
    constexpr int kShort = 10;
    CDryRunReport report;
    report.files.push_back("/tmp/grid.tcl");
    const auto add = [&](std::vector<std::string> words) {
        report.calls.Add(CDryRunCall::EKind::Library, words, {0, 1});
    };
    add({"model", "-dims", "2", "-dofs", "2"});
    add({"material", "Elastic", "1", "200000.0"});
    const auto nodeTag = [](int i, int j) { return std::to_string(i * kShort + j + 1); };
    for (int i = 0; i < kLong; ++i)
    {
        for (int j = 0; j < kShort; ++j)
            add({"node", nodeTag(i, j), std::to_string(i), std::to_string(j)});
    }
    add({"support", "1", "1", "1"});
    long nElement = 0;
    for (int i = 0; i < kLong; ++i)
    {
        for (int j = 0; j < kShort; ++j)
        {
            if (j + 1 < kShort)
                add({"element", "Truss", std::to_string(++nElement), nodeTag(i, j),
                     nodeTag(i, j + 1), "0.01", "1"});
            if (i + 1 < kLong)
                add({"element", "Truss", std::to_string(++nElement), nodeTag(i, j),
                     nodeTag(i + 1, j), "0.01", "1"});
        }
    }
    CCommandKnowledge knowledge;
    knowledge.Build(Library());
    for (auto _ : state)
    {
        CModelFacts facts;
        facts.Build(knowledge, report);
        if (facts.Nodes().size() != 100000 || !facts.Problems().empty())
            state.SkipWithError("the grid did not come out whole");
    }
}
BENCHMARK(BM_ModelCheck100kNodes)->Unit(benchmark::kMillisecond)->Iterations(5);

// One repaint of the grid's 20,000 elements in a shown view, to the X server.
void BM_ModelViewFrame20kElements(benchmark::State& state)
{
    CDryRunner runner;
    CModelView view;
    view.resize(900, 700);
    view.show();
    (void)QTest::qWaitForWindowExposed(&view);
    view.SetResult(runner.Run(GridScript(), "/tmp/grid.tcl"));
    Flush();
    for (auto _ : state)
    {
        view.repaint();
        QApplication::sync();
    }
}
BENCHMARK(BM_ModelViewFrame20kElements)->Unit(benchmark::kMillisecond)->Iterations(50);

// A dry run's answer for a grid of 317 by 317 nodes (100,489) and the
// 200,344 trusses between neighbours, fixed at one corner and loaded at
// another: ten times the model above, read as the editor reads the helper.
std::shared_ptr<const CDryRunResult> LargeGrid(int nSide)
{
    std::string answer = "{\"dryrun\":1}\n{\"file\":0,\"path\":\"/tmp/grid.tcl\"}\n";
    long nLine = 0;
    const auto add = [&](const std::vector<std::string>& words)
    {
        answer += "{\"call\":[";
        for (size_t i = 0; i < words.size(); ++i)
        {
            // Appended piece by piece: GCC 12 warns falsely of a sum of literals.
            answer += i > 0 ? "," : "";
            answer += '"';
            answer += words[i];
            answer += '"';
        }
        answer += "],\"f\":0,\"l\":" + std::to_string(++nLine) + "}\n";
    };
    add({"model", "-dims", "2", "-dofs", "2"});
    add({"material", "Elastic", "1", "200000.0"});
    const auto tag = [&](int i, int j) { return std::to_string(i * nSide + j + 1); };
    for (int i = 0; i < nSide; ++i)
    {
        for (int j = 0; j < nSide; ++j)
            add({"node", tag(i, j), std::to_string(j * 1.5), std::to_string(i * 3.0)});
    }
    add({"support", "1", "1", "1"});
    long nElement = 0;
    for (int i = 0; i < nSide; ++i)
    {
        for (int j = 0; j < nSide; ++j)
        {
            if (j + 1 < nSide)
                add({"element", "Truss", std::to_string(++nElement), tag(i, j), tag(i, j + 1),
                     "0.01", "1"});
            if (i + 1 < nSide)
                add({"element", "Truss", std::to_string(++nElement), tag(i, j), tag(i + 1, j),
                     "0.01", "1"});
        }
    }
    for (int k = 1; k <= 200; ++k)
        add({"element", "Truss", std::to_string(++nElement), std::to_string(k),
             std::to_string(k + nSide + 1), "0.01", "1"});
    add({"series", "Linear", "1"});
    add({"load", tag(nSide - 1, nSide - 1), "10.0", "-5.0"});
    answer += "{\"end\":1,\"ms\":1}\n";
    CCommandKnowledge knowledge;
    knowledge.Build(Library());
    auto pResult = std::make_shared<CDryRunResult>();
    pResult->Read(answer, std::string(), knowledge);
    return pResult;
}

// One frame of the large grid in a shown view as it is turned or zoomed:
// the nodes projected anew, the picture painted and sent to the X server.
void BM_ModelViewFrame200kElements(benchmark::State& state)
{
    const std::shared_ptr<const CDryRunResult> pResult = LargeGrid(317);
    if (pResult->Facts().Elements().size() < 200000)
    {
        state.SkipWithError("the grid did not come out whole");
        return;
    }
    CModelView view;
    view.resize(900, 700);
    view.show();
    (void)QTest::qWaitForWindowExposed(&view);
    view.SetResult(pResult);
    Flush();
    for (auto _ : state)
    {
        view.Fit();
        view.repaint();
        QApplication::sync();
    }
}
BENCHMARK(BM_ModelViewFrame200kElements)->Unit(benchmark::kMillisecond)->Iterations(30);

// The picture of a model of 20,000 elements, tags shown, written as SVG.
void BM_ModelExportSvg20k(benchmark::State& state)
{
    const std::shared_ptr<const CDryRunResult> pResult = LargeGrid(100);
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("model.svg")).toStdString();
    CModelView view;
    view.resize(900, 700);
    view.SetTagsShown(true);
    view.SetResult(pResult);
    for (auto _ : state)
    {
        if (!view.ExportSvg(path).empty())
            state.SkipWithError("the picture was not written");
    }
}
BENCHMARK(BM_ModelExportSvg20k)->Unit(benchmark::kMillisecond)->Iterations(5);

// corvale-check as CI runs it (the dry run on) on a script of 50,000
// mistakes, to its last line of output.
void BM_CheckCli50kFindings(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("mistakes.tcl")).toStdString();
    {
        std::ofstream script(path, std::ios::binary);
        for (int i = 0; i < 50000; ++i)
            script << "nodee " << i << " 0.0 0.0\n";
    }
    std::vector<double> samples;
    for (auto _ : state)
    {
        CSubprocess::COptions options;
        options.arguments = {CORVALE_CHECK, "--help-dir", CORVALE_SOURCE_DIR "/share/help/", path};
        const auto start = std::chrono::steady_clock::now();
        const CSubprocess::CResult run = CSubprocess::Run(options);
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
        if (run.nStatus != 2 || std::count(run.output.begin(), run.output.end(), '\n') != 50000)
            state.SkipWithError("corvale-check did not find the 50,000 mistakes");
    }
    ReportFigure("check_cli_50k_findings_ms", Median(samples) * 1e3, "ms");
}
BENCHMARK(BM_CheckCli50kFindings)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksAndPrintFigures(
        argc, argv, {},
        {{"dryrun_demo_ms", "BM_DryRunDemo/iterations:20", "ms"},
         {"dryrun_10k_nodes_ms", "BM_DryRun10kNodes/iterations:5", "ms"},
         {"model_check_100k_nodes_ms", "BM_ModelCheck100kNodes/iterations:5", "ms"},
         {"model_view_frame_20k_elements_ms", "BM_ModelViewFrame20kElements/iterations:50", "ms"},
         {"model_view_frame_200k_elements_ms", "BM_ModelViewFrame200kElements/iterations:30", "ms"},
         {"model_export_svg_20k_ms", "BM_ModelExportSvg20k/iterations:5", "ms"}});
}
