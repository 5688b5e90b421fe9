#include "BenchFigures.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace
{
std::vector<std::string>& DirectFigures()
{
    static std::vector<std::string> s_figures;
    return s_figures;
}

// A benchmark's name without its "/min_time:" and "/repeats:" parts, so a
// figure names it the same however long or often it runs.
std::string FigureKey(std::string name)
{
    for (const char* pPart : {"/min_time:", "/repeats:"})
    {
        const auto at = name.find(pPart);
        if (at == std::string::npos)
            continue;
        const auto end = name.find('/', at + 1);
        name.erase(at, end == std::string::npos ? std::string::npos : end - at);
    }
    return name;
}

// Google Benchmark's own table, plus the seconds per iteration of each
// benchmark: the mean of a single run, or the median over repetitions, which
// a moment of load on the machine does not move.
class CCollectingReporter : public benchmark::ConsoleReporter
{
public:
    CCollectingReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
        {
            const bool bMedian =
                run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((run.run_type == Run::RT_Iteration || bMedian) && run.iterations > 0)
                m_seconds[FigureKey(run.run_name.str())] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> m_seconds;
};
} // namespace

void RepeatedForFigure(benchmark::internal::Benchmark* pBenchmark)
{
    pBenchmark->MinTime(0.2)->Repetitions(kFigureRepetitions)->ReportAggregatesOnly(true);
}

void ReportFigure(const std::string& name, double value, const std::string& unit)
{
    char line[256];
    std::snprintf(line, sizeof line, "figure %s %.4g %s", name.c_str(), value, unit.c_str());
    DirectFigures().push_back(line);
}

int RunBenchmarksAndPrintFigures(int argc, char** argv, const std::vector<CBenchFigure>& figures,
                                 const std::vector<CTimeFigure>& times)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    CCollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n");
    for (const CBenchFigure& figure : figures)
    {
        const auto ours = reporter.m_seconds.find(figure.ours);
        const auto anchor = reporter.m_seconds.find(figure.anchor);
        if (ours == reporter.m_seconds.end() || anchor == reporter.m_seconds.end() ||
            anchor->second <= 0)
            continue;
        std::printf("figure %s %.4g ratio\n", figure.name.c_str(), ours->second / anchor->second);
    }
    for (const CTimeFigure& time : times)
    {
        const auto found = reporter.m_seconds.find(time.benchmark);
        if (found != reporter.m_seconds.end())
            std::printf("figure %s %.4g %s\n", time.name.c_str(),
                        found->second * (time.unit == "us" ? 1e6 : 1e3), time.unit.c_str());
    }
    for (const std::string& line : DirectFigures())
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return 0;
}
