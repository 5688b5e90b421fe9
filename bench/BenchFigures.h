#pragma once

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

// Runs the registered benchmarks under a QApplication, then prints one line per
// figure: "figure <name> <value> ratio", ours divided by the anchor measured in
// the same run.
struct CBenchFigure
{
    std::string name;
    std::string ours; // benchmark names
    std::string anchor;
};

// Benchmarks behind a ratio run this often and give their median, so a
// moment of load on the two cores moves neither side of it.
constexpr int kFigureRepetitions = 5;

// Applied to such a benchmark: 0.2 s a run, kFigureRepetitions runs, medians.
void RepeatedForFigure(benchmark::internal::Benchmark* pBenchmark);

// A figure measured directly by a benchmark (a median, say), printed with the rest.
void ReportFigure(const std::string& name, double value, const std::string& unit);

// A benchmark's own mean time as a figure, in "ms" or "us".
struct CTimeFigure
{
    std::string name;
    std::string benchmark;
    std::string unit;
};

int RunBenchmarksAndPrintFigures(int argc, char** argv, const std::vector<CBenchFigure>& figures,
                                 const std::vector<CTimeFigure>& times = {});
