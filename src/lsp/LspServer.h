#pragma once

#include "LspDocument.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json_fwd.hpp>
#include <set>
#include <string>
#include <vector>

class CAnalysisSession;
class CCommandKnowledge;
class CCommandLibrary;
struct CAnalysis;

// The language server's session: the protocol's requests and notifications
// turned into the analysis engine's calls, and the engine's results into the
// protocol's messages. Messages are handled one at a time on the caller's
// thread; the analysis runs on the engine's worker, whose results are
// written from there, so the writer must take messages from both.
class CLspServer
{
public:
    struct COptions
    {
        std::string dryRunHelper; // corvale-dryrun; empty: no dry run
        int nPauseMs = 200;
        int nDryRunPauseMs = 1000;
        // The help folder of the user's configuration, when the client names none.
        std::function<std::string(std::string& why)> configuredHelpDir;
        // The largest document the server keeps and analyses.
        size_t nMaxDocument = 32u << 20;
    };
    // Writes one message's JSON; called from the handling thread and the worker.
    using Writer = std::function<void(const std::string& json)>;

    CLspServer(COptions options, Writer writer);
    ~CLspServer();
    CLspServer(const CLspServer&) = delete;
    CLspServer& operator=(const CLspServer&) = delete;

    // Handles one message; false once the client has said exit.
    bool Handle(const std::string& message);
    // Handles messages read together, in order; a request that one of them
    // cancels ($/cancelRequest) is answered as cancelled, not served.
    bool HandleAll(const std::vector<std::string>& messages);
    // A message the reader could not read: answered with the protocol's error.
    void Refused(const std::string& why);
    // 0 after shutdown then exit, else 1.
    int ExitCode() const { return m_bShutDown ? 0 : 1; }

    // Blocks until the analysis has no work left; for tests.
    bool WaitUntilIdle(int nMs);

private:
    void Request(const nlohmann::json& message);
    void Notification(const nlohmann::json& message);
    nlohmann::json Initialize(const nlohmann::json& params);
    static std::string ProjectHelpDir(const nlohmann::json& params);
    nlohmann::json Hover(const nlohmann::json& params);
    nlohmann::json Definition(const nlohmann::json& params);
    nlohmann::json References(const nlohmann::json& params);
    nlohmann::json CodeActions(const nlohmann::json& params);
    nlohmann::json SemanticTokens(const nlohmann::json& params);
    nlohmann::json Completion(const nlohmann::json& params);
    nlohmann::json SignatureHelp(const nlohmann::json& params);
    nlohmann::json DocumentSymbols(const nlohmann::json& params);
    // The innermost command around a byte: its first two words (the second
    // only when the byte is on it or past it) and the word the byte is on.
    struct CCommandAt
    {
        bool bFound = false;
        std::string name;
        std::string sub;
        size_t nWord = 0;
    };
    static CCommandAt CommandAt(const std::string& wholeText, size_t nWholeOffset);
    // The document of a request's textDocument, or nullptr; and its analysis
    // when that is of the document's version.
    const CLspDocument* DocumentOf(const nlohmann::json& params,
                                   std::shared_ptr<const CAnalysis>* pAnalysis = nullptr) const;
    // The last analysis of the document, of whatever version: its names
    // and usage forms serve while the next is made.
    std::shared_ptr<const CAnalysis> LatestAnalysis(const nlohmann::json& params) const;
    // The usage forms the analysis knew (the project's commands too), else the library's.
    const CCommandKnowledge* KnowledgeOf(const CAnalysis* pAnalysis) const;
    void DidOpen(const nlohmann::json& params);
    void DidChange(const nlohmann::json& params);
    void DidClose(const nlohmann::json& params);
    void Publish(std::shared_ptr<const CAnalysis> pAnalysis);
    void Send(const nlohmann::json& message);
    void ShowMessage(int nType, const std::string& text);
    void Analyse(const std::string& uri, const CLspDocument& document);
    std::string CommandHelp(const CLspDocument& document, size_t nOffset) const;

    const COptions m_options;
    const Writer m_writer;
    std::mutex m_writeMutex;
    bool m_bInitialized = false;
    bool m_bShutDown = false;
    std::set<std::string> m_cancelled; // ids, as JSON text, of requests not to serve
    std::unique_ptr<CCommandLibrary> m_pLibrary;
    std::unique_ptr<CCommandKnowledge> m_pKnowledge; // the usage forms, for signatures
    std::unique_ptr<CAnalysisSession> m_pSession;
    std::map<std::string, CLspDocument> m_documents; // by URI
    // The latest analysis of each document, by path, for hovers; and the
    // files each last published diagnostics for.
    mutable std::mutex m_analysisMutex;
    std::map<std::string, std::shared_ptr<const CAnalysis>> m_analyses;
    std::map<std::string, std::string> m_uriOfPath;
};

// A file: URI's path, decoded; any other URI as it stands.
std::string LspUriToPath(const std::string& uri);
std::string LspPathToUri(const std::string& path);
