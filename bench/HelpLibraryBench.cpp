// The command library on 10,000 records in 10 files: loading it, looking
// commands up, and fetching help text, each against a plain anchor.
#include "BenchFigures.h"
#include "GeneratedLibrary.h"
#include "editor/ScriptEdit.h"
#include "platform/ScriptedUserInteraction.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <random>

namespace
{
constexpr int kFiles = 10;
constexpr int kPerFile = 1000;

CGeneratedLibrary& Library()
{
    static CGeneratedLibrary s_library(kFiles, kPerFile);
    return s_library;
}

// The editing pane with the library loaded, kept for the lookup benchmarks.
CScriptEdit& LoadedEdit()
{
    static CScriptedUserInteraction s_ui;
    static CScriptEdit s_edit;
    static const bool s_bLoaded = s_edit.LoadHelpFiles(Library().Directory()) == 1;
    (void)s_bLoaded;
    return s_edit;
}

void BM_LoadLibrary(benchmark::State& state)
{
    CScriptedUserInteraction ui;
    CScriptEdit edit;
    for (auto _ : state)
        benchmark::DoNotOptimize(edit.LoadHelpFiles(Library().Directory()));
}
BENCHMARK(BM_LoadLibrary)->Unit(benchmark::kMillisecond)->Apply(RepeatedForFigure);

// The anchor: a plain sequential line read of the same files.
void BM_ReadLibraryLines(benchmark::State& state)
{
    const std::vector<std::string> paths = Library().FilePaths();
    std::vector<char> buffer(50000);
    for (auto _ : state)
    {
        size_t nLines = 0;
        for (const std::string& path : paths)
        {
            std::FILE* pFile = std::fopen(path.c_str(), "r");
            while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pFile) != nullptr)
                ++nLines;
            std::fclose(pFile);
        }
        benchmark::DoNotOptimize(nLines);
    }
}
BENCHMARK(BM_ReadLibraryLines)->Unit(benchmark::kMillisecond)->Apply(RepeatedForFigure);

// A power of two, so that picking the next query costs a mask, not a division.
constexpr size_t kQueries = 4096;

struct CQuery
{
    int nFile;
    std::string keyword;
    std::string parent;
};

// Half hits, half misses: unknown words, and known words under the wrong parent.
const std::vector<CQuery>& Queries()
{
    static const std::vector<CQuery> s_queries = []
    {
        std::vector<CQuery> queries;
        std::mt19937 random(42);
        std::uniform_int_distribution<int> pickFile(0, kFiles - 1);
        std::uniform_int_distribution<int> pickRecord(0, kPerFile - 1);
        for (size_t i = 0; i < kQueries; ++i)
        {
            const int f = pickFile(random);
            const int k = pickRecord(random);
            switch (i % 4)
            {
            case 0:
            case 1:
                queries.push_back(
                    {f, CGeneratedLibrary::Keyword(f, k), CGeneratedLibrary::Parent(f, k)});
                break;
            case 2:
                queries.push_back({f, "word" + std::to_string(k), "command"});
                break;
            default:
                queries.push_back({f, CGeneratedLibrary::Keyword(f, k), "set x"});
                break;
            }
        }
        return queries;
    }();
    return s_queries;
}

// The lookup colouring makes for every word: one index over the whole library.
void BM_LibraryLookup(benchmark::State& state)
{
    CScriptEdit& edit = LoadedEdit();
    edit.m_bHelpOn = 0;
    const std::vector<CQuery>& queries = Queries();
    size_t i = 0;
    for (auto _ : state)
    {
        const CQuery& query = queries[i++ & (kQueries - 1)];
        benchmark::DoNotOptimize(edit.ShowCommandHelp(query.keyword, query.parent));
    }
}
BENCHMARK(BM_LibraryLookup);

// The anchor: the same answer from an in-order scan of all 10,000 records.
bool ScanLibrary(const CScriptEdit& edit, const std::string& keyword, const std::string& parent)
{
    for (const auto& pFile : edit.m_helpFiles)
    {
        for (int k = 0; k < pFile->m_nRecords; ++k)
        {
            if (pFile->m_keywords[static_cast<size_t>(k)] == keyword &&
                pFile->m_parents[static_cast<size_t>(k)] == parent)
                return true;
        }
    }
    return false;
}

void BM_ScanLibrary(benchmark::State& state)
{
    CScriptEdit& edit = LoadedEdit();
    const std::vector<CQuery>& queries = Queries();
    size_t i = 0;
    for (auto _ : state)
    {
        const CQuery& query = queries[i++ & (kQueries - 1)];
        benchmark::DoNotOptimize(ScanLibrary(edit, query.keyword, query.parent));
    }
}
BENCHMARK(BM_ScanLibrary);

// A record's text fetched and put into a pane, as the summary pane shows it.
void ShowIn(CHelpFile& file, const std::string& keyword, const std::string& parent,
            CTextControl& pane)
{
    std::string text;
    if (file.FetchHelp(keyword, parent, text))
        pane.SetWindowText(text);
}

void BM_ShowHelpCached(benchmark::State& state)
{
    CScriptEdit& edit = LoadedEdit();
    CHelpFile& file = *edit.Library().m_helpFiles[0];
    CTextControl pane;
    const std::string keyword = CGeneratedLibrary::Keyword(0, 990);
    const std::string parent = CGeneratedLibrary::Parent(0, 990);
    ShowIn(file, keyword, parent, pane); // now cached
    for (auto _ : state)
        ShowIn(file, keyword, parent, pane);
}
BENCHMARK(BM_ShowHelpCached)->Unit(benchmark::kMicrosecond);

// A record near the end of its file, with the cache already full of others,
// so every show scans the file.
void BM_ShowHelpScan(benchmark::State& state)
{
    CScriptEdit& edit = LoadedEdit();
    CHelpFile& file = *edit.Library().m_helpFiles[1];
    CTextControl pane;
    std::string text;
    for (int k = 0; file.m_nCacheUsed < file.m_nCacheSize; ++k)
        file.FetchHelp(CGeneratedLibrary::Keyword(1, k), CGeneratedLibrary::Parent(1, k), text);
    const std::string keyword = CGeneratedLibrary::Keyword(1, 990);
    const std::string parent = CGeneratedLibrary::Parent(1, 990);
    for (auto _ : state)
        ShowIn(file, keyword, parent, pane);
}
BENCHMARK(BM_ShowHelpScan)->Unit(benchmark::kMicrosecond);

long ResidentKilobytes()
{
    std::FILE* pStatus = std::fopen("/proc/self/status", "r");
    if (pStatus == nullptr)
        return 0;
    char line[256];
    long nKilobytes = 0;
    while (std::fgets(line, sizeof line, pStatus) != nullptr)
    {
        if (std::sscanf(line, "VmRSS: %ld kB", &nKilobytes) == 1)
            break;
    }
    std::fclose(pStatus);
    return nKilobytes;
}

int OpenDescriptors()
{
    int nOpen = 0;
    for (int fd = 0; fd < 65536; ++fd)
        nOpen += fcntl(fd, F_GETFD) != -1 ? 1 : 0;
    return nOpen;
}

// What a library of 5,000 help files of ten records each costs once loaded:
// memory and open descriptors, beside the size of the files themselves.
void BM_LoadFiveThousandFiles(benchmark::State& state)
{
    CGeneratedLibrary library(5000, 10);
    CScriptedUserInteraction ui;
    for (auto _ : state)
    {
        const long nBefore = ResidentKilobytes();
        const int nDescriptorsBefore = OpenDescriptors();
        auto pEdit = std::make_unique<CScriptEdit>();
        pEdit->LoadHelpFiles(library.Directory());
        ReportFigure("help_5000_files_memory",
                     static_cast<double>(ResidentKilobytes() - nBefore) / 1024.0, "MB");
        ReportFigure("help_5000_files_descriptors", OpenDescriptors() - nDescriptorsBefore, "fds");
        ReportFigure("help_5000_files_messages", static_cast<double>(ui.m_messages.size()),
                     "messages");
    }
}
BENCHMARK(BM_LoadFiveThousandFiles)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksAndPrintFigures(
        argc, argv,
        {{"help_load_vs_read", "BM_LoadLibrary", "BM_ReadLibraryLines"},
         {"help_lookup_vs_linear", "BM_LibraryLookup", "BM_ScanLibrary"},
         {"help_show_cached_vs_scan", "BM_ShowHelpCached", "BM_ShowHelpScan"}});
}
