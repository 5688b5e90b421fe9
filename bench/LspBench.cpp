// corvale-lsp as an editor meets it: the server started as a process of its
// own and spoken to through its pipes, on the demo and on a 2 MB model. The
// figures are from a change to the diagnostics of its version, a hover, a
// completion, and the server's peak memory with the 2 MB model analysed.
#include "BenchFigures.h"
#include "BenchTiming.h"
#include "GeneratedScript.h"
#include "lsp/LspFraming.h"

#include <benchmark/benchmark.h>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

using json = nlohmann::json;

namespace
{
std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// corvale-lsp on two pipes.
class CServerProcess
{
public:
    CServerProcess()
    {
        int toServer[2];
        int fromServer[2];
        if (::pipe(toServer) != 0 || ::pipe(fromServer) != 0)
            throw std::runtime_error("no pipes");
        m_pid = ::fork();
        if (m_pid == 0)
        {
            ::dup2(toServer[0], STDIN_FILENO);
            ::dup2(fromServer[1], STDOUT_FILENO);
            ::close(toServer[1]);
            ::close(fromServer[0]);
            ::execl(CORVALE_LSP, CORVALE_LSP, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(toServer[0]);
        ::close(fromServer[1]);
        m_nIn = toServer[1];
        m_nOut = fromServer[0];
        Request("initialize",
                {{"processId", ::getpid()},
                 {"rootUri", "file://" CORVALE_SOURCE_DIR "/share/demo"},
                 {"capabilities", json::object()},
                 {"initializationOptions", {{"helpDir", CORVALE_SOURCE_DIR "/share/help/"}}}});
        Notify("initialized", json::object());
    }
    ~CServerProcess()
    {
        Request("shutdown", nullptr);
        Notify("exit", nullptr);
        ::close(m_nIn);
        ::close(m_nOut);
        int nStatus = 0;
        ::waitpid(m_pid, &nStatus, 0);
    }
    CServerProcess(const CServerProcess&) = delete;
    CServerProcess& operator=(const CServerProcess&) = delete;

    void Notify(const std::string& method, const json& params)
    {
        Write({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
    }

    json Request(const std::string& method, const json& params)
    {
        const long nId = ++m_nLastId;
        Write({{"jsonrpc", "2.0"}, {"id", nId}, {"method", method}, {"params", params}});
        return WaitFor([&](const json& message)
                       { return message.contains("id") && message["id"] == nId; })["result"];
    }

    // The first message from now on that matches; what comes before it is passed over.
    template <typename Match> json WaitFor(const Match& match)
    {
        for (;;)
        {
            json message = Read();
            if (match(message))
                return message;
        }
    }

    // The diagnostics published for a version of a document.
    json DiagnosticsOf(const std::string& uri, long nVersion)
    {
        return WaitFor(
            [&](const json& message)
            {
                return message.value("method", "") == "textDocument/publishDiagnostics" &&
                       message["params"]["uri"] == uri &&
                       message["params"].value("version", -1L) == nVersion;
            })["params"]["diagnostics"];
    }

    // The highest resident set the server has had, in MiB.
    double PeakRssMb() const
    {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        std::string line;
        while (std::getline(status, line))
        {
            if (line.compare(0, 6, "VmHWM:") == 0)
                return std::stod(line.substr(6)) / 1024.0;
        }
        return 0;
    }

private:
    void Write(const json& message)
    {
        const std::string bytes = LspFrame(message.dump());
        for (size_t nDone = 0; nDone < bytes.size();)
        {
            const ssize_t n = ::write(m_nIn, bytes.data() + nDone, bytes.size() - nDone);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw std::runtime_error("the server does not read");
            nDone += static_cast<size_t>(n);
        }
    }

    json Read()
    {
        std::string message;
        std::string why;
        while (m_reader.Next(message, why) != CLspMessageReader::EResult::Message)
        {
            pollfd fd{m_nOut, POLLIN, 0};
            if (::poll(&fd, 1, 60000) <= 0)
                throw std::runtime_error("the server said nothing for a minute");
            char buffer[65536];
            const ssize_t n = ::read(m_nOut, buffer, sizeof buffer);
            if (n <= 0)
                throw std::runtime_error("the server has gone");
            m_reader.Feed(std::string_view(buffer, static_cast<size_t>(n)));
        }
        return json::parse(message);
    }

    pid_t m_pid = -1;
    int m_nIn = -1;
    int m_nOut = -1;
    long m_nLastId = 0;
    CLspMessageReader m_reader;
};

// A document open in the server, changed by a blank inserted and taken out
// again at the end of its first line.
class COpenDocument
{
public:
    COpenDocument(CServerProcess& server, std::string uri, const std::string& text)
        : m_server(server), m_uri(std::move(uri)), m_nFirstLineEnd(text.find_first_of("\r\n"))
    {
        m_server.Notify(
            "textDocument/didOpen",
            {{"textDocument",
              {{"uri", m_uri}, {"languageId", "tcl"}, {"version", m_nVersion}, {"text", text}}}});
        m_server.DiagnosticsOf(m_uri, m_nVersion);
    }

    // Sends the next change; its version.
    long Change()
    {
        const long nCharacter = static_cast<long>(m_nFirstLineEnd);
        json change = {{"text", m_bBlank ? "" : " "}};
        change["range"] = {{"start", {{"line", 0}, {"character", nCharacter}}},
                           {"end", {{"line", 0}, {"character", nCharacter + (m_bBlank ? 1 : 0)}}}};
        m_bBlank = !m_bBlank;
        m_server.Notify("textDocument/didChange",
                        {{"textDocument", {{"uri", m_uri}, {"version", ++m_nVersion}}},
                         {"contentChanges", json::array({change})}});
        return m_nVersion;
    }

    const std::string& Uri() const { return m_uri; }

private:
    CServerProcess& m_server;
    std::string m_uri;
    size_t m_nFirstLineEnd;
    long m_nVersion = 1;
    bool m_bBlank = false;
};

const std::string& Model2Mb()
{
    static const std::string s_text = GeneratedModel(2000000);
    return s_text;
}

// From a change to its first diagnostics (the static rules), and to its
// second (the dry run's and the model rules' joined).
void DiagnosticsAfterChange(benchmark::State& state, const std::string& text,
                            const std::string& figure, bool bDryRun)
{
    CServerProcess server;
    COpenDocument document(server, "file://" CORVALE_SOURCE_DIR "/share/demo/bench.tcl", text);
    // The open's dry run, out of the way.
    if (bDryRun)
        server.DiagnosticsOf(document.Uri(), 1);
    std::vector<double> samples;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        const long nVersion = document.Change();
        server.DiagnosticsOf(document.Uri(), nVersion);
        if (bDryRun)
            server.DiagnosticsOf(document.Uri(), nVersion);
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
    }
    ReportFigure(figure, Median(samples) * 1e3, "ms");
}

void BM_LspDiagnosticsAfterChangeDemo(benchmark::State& state)
{
    DiagnosticsAfterChange(state, ReadAll(CORVALE_SOURCE_DIR "/share/demo/example.tcl"),
                           "lsp_diagnostics_after_change_demo_ms", false);
}
BENCHMARK(BM_LspDiagnosticsAfterChangeDemo)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

void BM_LspDiagnosticsAfterChangeDemoDryRun(benchmark::State& state)
{
    DiagnosticsAfterChange(state, ReadAll(CORVALE_SOURCE_DIR "/share/demo/example.tcl"),
                           "lsp_diagnostics_after_change_demo_dryrun_ms", true);
}
BENCHMARK(BM_LspDiagnosticsAfterChangeDemoDryRun)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

void BM_LspDiagnosticsAfterChange2Mb(benchmark::State& state)
{
    DiagnosticsAfterChange(state, Model2Mb(), "lsp_diagnostics_after_change_2mb_ms", false);
}
BENCHMARK(BM_LspDiagnosticsAfterChange2Mb)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_LspDiagnosticsAfterChange2MbDryRun(benchmark::State& state)
{
    DiagnosticsAfterChange(state, Model2Mb(), "lsp_diagnostics_after_change_2mb_dryrun_ms", true);
}
BENCHMARK(BM_LspDiagnosticsAfterChange2MbDryRun)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Requests on the 2 MB model, analysed to its dry run, at its middle line.
class CRequests2Mb
{
public:
    CRequests2Mb()
        : m_document(m_server, "file://" CORVALE_SOURCE_DIR "/share/demo/bench2mb.tcl", Model2Mb())
    {
        m_server.DiagnosticsOf(m_document.Uri(), 1);
        const std::string& text = Model2Mb();
        // A line "element Beam ..." near the middle.
        const size_t nAt = text.find("\nelement Beam", text.size() / 2) + 1;
        m_nLine = std::count(text.begin(), text.begin() + static_cast<long>(nAt), '\n');
    }
    json At(const std::string& method, long nCharacter)
    {
        return m_server.Request(method,
                                {{"textDocument", {{"uri", m_document.Uri()}}},
                                 {"position", {{"line", m_nLine}, {"character", nCharacter}}}});
    }
    double PeakRssMb() const { return m_server.PeakRssMb(); }

private:
    CServerProcess m_server;
    COpenDocument m_document;
    long m_nLine = 0;
};

CRequests2Mb& Requests2Mb()
{
    static CRequests2Mb* s_pRequests = new CRequests2Mb;
    return *s_pRequests;
}

void RequestAt(benchmark::State& state, const std::string& method, long nCharacter,
               const std::string& figure)
{
    CRequests2Mb& requests = Requests2Mb();
    std::vector<double> samples;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        const json result = requests.At(method, nCharacter);
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
        if (result.is_null() || result.empty())
            state.SkipWithError((method + " gave nothing").c_str());
    }
    ReportFigure(figure, Median(samples) * 1e3, "ms");
}

void BM_LspHover2Mb(benchmark::State& state)
{
    // On "element".
    RequestAt(state, "textDocument/hover", 2, "lsp_hover_ms");
}
BENCHMARK(BM_LspHover2Mb)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_LspCompletion2Mb(benchmark::State& state)
{
    // After "element ": the element types.
    RequestAt(state, "textDocument/completion", 8, "lsp_completion_ms");
}
BENCHMARK(BM_LspCompletion2Mb)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_LspPeakRss2Mb(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Requests2Mb().PeakRssMb());
    ReportFigure("lsp_rss_2mb_mb", Requests2Mb().PeakRssMb(), "MiB");
}
BENCHMARK(BM_LspPeakRss2Mb)->Iterations(1);
} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    return RunBenchmarksAndPrintFigures(argc, argv, {});
}
