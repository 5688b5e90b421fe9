// The dry run: the helper on the demo and on a large generated model, from
// the request to the result the editor holds (the helper's start included),
// and one repaint of the large model in a shown Model view. bench.sh runs
// this program on a private Xvfb server.
#include "BenchFigures.h"
#include "BenchTiming.h"
#include "dryrun/DryRunResult.h"
#include "editor/BackgroundDryRun.h"
#include "helplib/CommandLibrary.h"
#include "panes/ModelView.h"

#include <QApplication>
#include <QTest>
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

class CDryRunner
{
public:
    CDryRunner() : m_background(Library())
    {
        QObject::connect(&m_background, &CBackgroundDryRun::DryRan, &m_background,
                         [this](long, std::shared_ptr<const CDryRunResult> pResult)
                         { m_pResult = std::move(pResult); });
    }

    std::shared_ptr<const CDryRunResult> Run(const std::string& text, const std::string& path)
    {
        m_pResult.reset();
        CBackgroundDryRun::CRequest request;
        request.nRevision = ++m_nRevision;
        request.text = text;
        request.scriptPath = path;
        request.helper = CORVALE_DRYRUN;
        request.helpDir = CORVALE_SOURCE_DIR "/share/help/";
        m_background.Request(std::move(request));
        while (!m_pResult)
        {
            m_background.WaitUntilIdle(1);
            QCoreApplication::processEvents();
        }
        return m_pResult;
    }

private:
    CBackgroundDryRun m_background;
    long m_nRevision = 0;
    std::shared_ptr<const CDryRunResult> m_pResult;
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
} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksAndPrintFigures(
        argc, argv, {},
        {{"dryrun_demo_ms", "BM_DryRunDemo/iterations:20", "ms"},
         {"dryrun_10k_nodes_ms", "BM_DryRun10kNodes/iterations:5", "ms"},
         {"model_view_frame_20k_elements_ms", "BM_ModelViewFrame20kElements/iterations:50", "ms"}});
}
