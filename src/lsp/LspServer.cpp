#include "LspServer.h"

#include "LspCodeActions.h"
#include "LspJson.h"
#include "LspSemanticTokens.h"
#include "analysis/Analysis.h"
#include "analysis/AnalysisSession.h"
#include "analysis/CommandSignatures.h"
#include "analysis/ProjectFile.h"
#include "analysis/ScriptCompletion.h"
#include "analysis/ScriptNavigation.h"
#include "analysis/ScriptText.h"
#include "check/CommandKnowledge.h"
#include "check/ScriptOutline.h"
#include "check/UsageForm.h"
#include "dryrun/DryRunResult.h"
#include "helplib/CommandLibrary.h"
#include "text/Latin1Text.h"
#include "trace/ScriptIndex.h"

#include <cctype>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

using json = nlohmann::json;

namespace
{
// The protocol's error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kServerNotInitialized = -32002;
constexpr int kRequestCancelled = -32800;

// window/showMessage's types.
constexpr int kMessageError = 1;
constexpr int kMessageWarning = 2;

// What the library says while it loads, kept for one message.
class CCollectedMessages : public CMessageSink
{
public:
    void ShowMessage(const std::string& text) override
    {
        if (!m_text.empty())
            m_text += ' ';
        m_text += text;
    }
    std::string m_text;
};

// A finding's place: its line and columns as the engine counts them (from 1,
// in characters), or its whole line when only that is known.
json RangeOf(const CFinding& finding)
{
    const long nLine = std::max(0L, finding.nLine - 1);
    if (finding.nColumn <= 0)
        return LspJson::Range(nLine, 0, nLine + 1, 0);
    const long nEndLine = finding.nEndLine > 0 ? finding.nEndLine - 1 : nLine;
    const long nEndColumn = finding.nEndColumn > 0 ? finding.nEndColumn - 1 : finding.nColumn - 1;
    return LspJson::Range(nLine, finding.nColumn - 1, nEndLine, nEndColumn);
}

int SeverityOf(ESeverity severity)
{
    switch (severity)
    {
    case ESeverity::Error:
        return 1;
    case ESeverity::Warning:
        return 2;
    default:
        return 3;
    }
}

// A place the engine names, as the protocol's Location.
json LocationOf(const CScriptNavigation::CPlace& place, const std::string& uri,
                const CLspDocument& document)
{
    if (!place.file.empty())
        return LspJson::Location(LspPathToUri(place.file), nullptr, -1, -1, place.nLine);
    return LspJson::Location(uri, &document, place.nStart, place.nEnd, place.nLine);
}

// The protocol's CompletionItemKind of an item of the engine.
int CompletionKindOf(CScriptCompletion::CItem::EKind kind)
{
    using EKind = CScriptCompletion::CItem::EKind;
    switch (kind)
    {
    case EKind::Command:
    case EKind::Procedure:
        return 3; // Function
    case EKind::SubCommand:
        return 7; // Class
    case EKind::Flag:
        return 14; // Keyword
    case EKind::Choice:
        return 20; // EnumMember
    case EKind::Tag:
        return 21; // Constant
    case EKind::Variable:
        return 6;
    }
    return 1; // Text
}

// "32 MB", or so many bytes.
std::string SizeText(size_t nBytes)
{
    return nBytes % (1u << 20) == 0 ? std::to_string(nBytes >> 20) + " MB"
                                    : std::to_string(nBytes) + " bytes";
}

CLspPosition PositionIn(const json& params)
{
    const json& position = params.at("position");
    return {position.at("line").get<long>(), position.at("character").get<long>()};
}

// Help files are UTF-8 or Latin-1; the protocol's text is UTF-8.
std::string Utf8Of(const std::string& text, bool bUtf8)
{
    return bUtf8 ? text : Latin1Text::ToUtf8(text);
}
} // namespace

std::string LspUriToPath(const std::string& uri)
{
    constexpr std::string_view kScheme = "file://";
    if (uri.compare(0, kScheme.size(), kScheme) != 0)
        return uri;
    std::string_view rest = std::string_view(uri).substr(kScheme.size());
    // file://localhost/path and file:///path name the same file.
    if (rest.compare(0, 9, "localhost") == 0)
        rest.remove_prefix(9);
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i)
    {
        const auto hex = [](char c) -> int
        {
            if (c >= '0' && c <= '9')
                return c - '0';
            if (c >= 'a' && c <= 'f')
                return c - 'a' + 10;
            if (c >= 'A' && c <= 'F')
                return c - 'A' + 10;
            return -1;
        };
        if (rest[i] == '%' && i + 2 < rest.size() && hex(rest[i + 1]) >= 0 && hex(rest[i + 2]) >= 0)
        {
            path += static_cast<char>(hex(rest[i + 1]) * 16 + hex(rest[i + 2]));
            i += 2;
        }
        else
            path += rest[i];
    }
    return path;
}

std::string LspPathToUri(const std::string& path)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : path)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '/' || c == '-' || c == '.' || c == '_' || c == '~')
            uri += c;
        else
        {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0xF];
        }
    }
    return uri;
}

CLspServer::CLspServer(COptions options, Writer writer)
    : m_options(std::move(options)), m_writer(std::move(writer))
{
}

CLspServer::~CLspServer()
{
    // The worker stops before what its listener touches goes.
    m_pSession.reset();
}

void CLspServer::Send(const json& message)
{
    // Text from a script or a help file may hold bytes that are not UTF-8.
    const std::string text = message.dump(-1, ' ', false, json::error_handler_t::replace);
    const std::lock_guard<std::mutex> lock(m_writeMutex);
    m_writer(text);
}

void CLspServer::ShowMessage(int nType, const std::string& text)
{
    Send({{"jsonrpc", "2.0"},
          {"method", "window/showMessage"},
          {"params", {{"type", nType}, {"message", text}}}});
}

void CLspServer::Refused(const std::string& why)
{
    Send({{"jsonrpc", "2.0"},
          {"id", nullptr},
          {"error", {{"code", kInvalidRequest}, {"message", "Refused " + why}}}});
}

bool CLspServer::HandleAll(const std::vector<std::string>& messages)
{
    // A cancellation read with its request comes before the request is served.
    for (const std::string& text : messages)
    {
        if (text.find("$/cancelRequest") == std::string::npos)
            continue;
        const json message = json::parse(text, nullptr, false);
        if (message.is_object() && message.value("method", json()) == "$/cancelRequest" &&
            message.contains("params") && message["params"].is_object() &&
            message["params"].contains("id"))
            m_cancelled.insert(message["params"]["id"].dump());
    }
    bool bGoOn = true;
    for (const std::string& text : messages)
    {
        if (bGoOn)
            bGoOn = Handle(text);
    }
    m_cancelled.clear();
    return bGoOn;
}

bool CLspServer::Handle(const std::string& text)
{
    const json message = json::parse(text, nullptr, false);
    const auto error = [&](const json& id, int nCode, const std::string& why) {
        Send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", nCode}, {"message", why}}}});
    };
    if (message.is_discarded())
    {
        error(nullptr, kParseError, "The message is not JSON");
        return true;
    }
    if (!message.is_object() || !message.contains("method") || !message["method"].is_string())
    {
        // A response to a request of ours: the server makes none that wait.
        if (message.is_object() && message.contains("id") &&
            (message.contains("result") || message.contains("error")))
            return true;
        error(message.is_object() && message.contains("id") ? message["id"] : json(nullptr),
              kInvalidRequest, "A message without a method");
        return true;
    }
    const std::string method = message["method"];
    const bool bRequest = message.contains("id");
    if (method == "exit")
        return false;
    if (!m_bInitialized && method != "initialize")
    {
        if (bRequest)
            error(message["id"], kServerNotInitialized, "The server is not initialized yet");
        return true;
    }
    if (m_bShutDown && bRequest)
    {
        error(message["id"], kInvalidRequest, "The server has been shut down");
        return true;
    }
    try
    {
        if (bRequest)
            Request(message);
        else
            Notification(message);
    }
    catch (const json::exception& exception)
    {
        if (bRequest)
            error(message["id"], kInvalidParams,
                  std::string("The parameters do not fit ") + method + ": " + exception.what());
    }
    return true;
}

void CLspServer::Request(const json& message)
{
    const std::string method = message["method"];
    if (m_cancelled.erase(message["id"].dump()) != 0)
    {
        Send({{"jsonrpc", "2.0"},
              {"id", message["id"]},
              {"error", {{"code", kRequestCancelled}, {"message", "The request was cancelled"}}}});
        return;
    }
    const json params = message.value("params", json::object());
    json result;
    if (method == "initialize")
    {
        if (m_bInitialized)
        {
            Send({{"jsonrpc", "2.0"},
                  {"id", message["id"]},
                  {"error", {{"code", kInvalidRequest}, {"message", "Initialized already"}}}});
            return;
        }
        result = Initialize(params);
    }
    else if (method == "shutdown")
    {
        m_bShutDown = true;
        m_pSession.reset();
        result = nullptr;
    }
    else if (method == "textDocument/hover")
        result = Hover(params);
    else if (method == "textDocument/definition")
        result = Definition(params);
    else if (method == "textDocument/references")
        result = References(params);
    else if (method == "textDocument/codeAction")
        result = CodeActions(params);
    else if (method == "textDocument/semanticTokens/full")
        result = SemanticTokens(params);
    else if (method == "textDocument/completion")
        result = Completion(params);
    else if (method == "textDocument/signatureHelp")
        result = SignatureHelp(params);
    else if (method == "textDocument/documentSymbol")
        result = DocumentSymbols(params);
    else
    {
        Send({{"jsonrpc", "2.0"},
              {"id", message["id"]},
              {"error", {{"code", kMethodNotFound}, {"message", "No method " + method}}}});
        return;
    }
    Send({{"jsonrpc", "2.0"}, {"id", message["id"]}, {"result", result}});
}

void CLspServer::Notification(const json& message)
{
    const std::string method = message["method"];
    const json params = message.value("params", json::object());
    if (m_bShutDown)
        return;
    if (method == "textDocument/didOpen")
        DidOpen(params);
    else if (method == "textDocument/didChange")
        DidChange(params);
    else if (method == "textDocument/didSave")
    {
        const std::string uri = params.at("textDocument").at("uri");
        if (m_documents.count(uri) != 0)
            m_pSession->AnalyseNow(LspUriToPath(uri));
    }
    else if (method == "textDocument/didClose")
        DidClose(params);
    // initialized, $/cancelRequest (HandleAll looks ahead for it: every
    // request is answered before the next read), $/setTrace and the rest
    // need nothing.
}

// The help folder a project file names, the one in the workspace's root
// folder or the nearest above it; empty for none.
std::string CLspServer::ProjectHelpDir(const json& params)
{
    std::string root;
    if (params.value("rootUri", json()).is_string())
        root = LspUriToPath(params["rootUri"]);
    else if (params.value("rootPath", json()).is_string())
        root = params["rootPath"];
    if (root.empty() || root.compare(0, 1, "/") != 0)
        return {};
    // Locate looks in the folder of the script it is given.
    const std::string path = CProjectFile::Locate(root + "/.");
    return path.empty() ? std::string() : CProjectFile::Read(path).HelpDirectory();
}

json CLspServer::Initialize(const json& params)
{
    std::string helpDir;
    std::string why;
    if (params.contains("initializationOptions") && params["initializationOptions"].is_object() &&
        params["initializationOptions"].value("helpDir", json()).is_string())
        helpDir = params["initializationOptions"]["helpDir"];
    else if (const std::string project = ProjectHelpDir(params); !project.empty())
        helpDir = project;
    else if (m_options.configuredHelpDir)
        helpDir = m_options.configuredHelpDir(why);
    if (!helpDir.empty() && helpDir.back() != '/')
        helpDir += '/';
    m_pLibrary = std::make_unique<CCommandLibrary>();
    CCollectedMessages messages;
    if (!helpDir.empty())
        m_pLibrary->Load(helpDir, messages);
    if (m_pLibrary->RecordCount() == 0)
        ShowMessage(kMessageWarning,
                    "Corvale has no help library (" +
                        (!messages.m_text.empty() ? messages.m_text
                         : !why.empty()           ? why
                                                  : std::string("none was named")) +
                        "): the library's commands, their help, the dry run and the model rules "
                        "are off; Tcl itself is still checked. Name the help folder in the "
                        "initialization option helpDir, in the project's corvale.toml, or in "
                        "Corvale's configuration.");
    CAnalysisSession::COptions options;
    options.nPauseMs = m_options.nPauseMs;
    options.nDryRunPauseMs = m_options.nDryRunPauseMs;
    // An editor sends a change on every key: a small script is analysed at
    // once, a large one after as long a rest as its analysis takes.
    options.bPausesAsLongAsTheWork = true;
    options.dryRunHelper = m_pLibrary->RecordCount() > 0 ? m_options.dryRunHelper : std::string();
    options.helpDir = helpDir;
    m_pKnowledge = std::make_unique<CCommandKnowledge>();
    m_pKnowledge->Build(*m_pLibrary);
    m_pSession = std::make_unique<CAnalysisSession>(
        *m_pLibrary, options,
        [this](std::shared_ptr<const CAnalysis> pAnalysis) { Publish(std::move(pAnalysis)); });
    m_bInitialized = true;
    return {{"capabilities",
             {{"positionEncoding", "utf-16"},
              {"textDocumentSync",
               {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
              {"hoverProvider", true},
              {"definitionProvider", true},
              {"referencesProvider", true},
              {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
              {"semanticTokensProvider", {{"legend", LspSemanticTokens::Legend()}, {"full", true}}},
              {"completionProvider", {{"triggerCharacters", {"$", " "}}}},
              {"signatureHelpProvider", {{"triggerCharacters", {" "}}}},
              {"documentSymbolProvider", true}}},
            {"serverInfo", {{"name", "corvale-lsp"}, {"version", CORVALE_VERSION}}}};
}

void CLspServer::Analyse(const std::string& uri, const CLspDocument& document)
{
    const std::string path = LspUriToPath(uri);
    {
        const std::lock_guard<std::mutex> lock(m_analysisMutex);
        m_uriOfPath[path] = uri;
    }
    m_pSession->Update(path, document.Text(), document.Version());
}

void CLspServer::DidOpen(const json& params)
{
    const json& item = params.at("textDocument");
    const std::string uri = item.at("uri");
    std::string text = item.at("text");
    if (text.size() > m_options.nMaxDocument)
    {
        ShowMessage(kMessageError, uri + " is larger than " + SizeText(m_options.nMaxDocument) +
                                       ": Corvale does not analyse it");
        return;
    }
    const auto [it, bNew] =
        m_documents.insert_or_assign(uri, CLspDocument(std::move(text), item.value("version", 0L)));
    Analyse(uri, it->second);
}

void CLspServer::DidChange(const json& params)
{
    const json& item = params.at("textDocument");
    const std::string uri = item.at("uri");
    const auto found = m_documents.find(uri);
    if (found == m_documents.end())
        return;
    CLspDocument& document = found->second;
    for (const json& change : params.at("contentChanges"))
    {
        const std::string text = change.at("text");
        if (!change.contains("range"))
            document.ReplaceAll(text);
        else
        {
            const json& range = change["range"];
            document.Replace({range.at("start").at("line").get<long>(),
                              range.at("start").at("character").get<long>()},
                             {range.at("end").at("line").get<long>(),
                              range.at("end").at("character").get<long>()},
                             text);
        }
        if (document.Text().size() > m_options.nMaxDocument)
        {
            ShowMessage(kMessageError, uri + " grew larger than " +
                                           SizeText(m_options.nMaxDocument) +
                                           ": Corvale no longer analyses it");
            DidClose(params);
            return;
        }
    }
    document.SetVersion(item.value("version", document.Version() + 1));
    Analyse(uri, document);
}

void CLspServer::DidClose(const json& params)
{
    const std::string uri = params.at("textDocument").at("uri");
    if (m_documents.erase(uri) == 0)
        return;
    const std::string path = LspUriToPath(uri);
    m_pSession->Close(path);
    {
        const std::lock_guard<std::mutex> lock(m_analysisMutex);
        m_analyses.erase(path);
    }
    Send({{"jsonrpc", "2.0"},
          {"method", "textDocument/publishDiagnostics"},
          {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
}

// Called on the worker: every finding of a version, the script's on its own
// URI, a sourced file's on that file's.
void CLspServer::Publish(std::shared_ptr<const CAnalysis> pAnalysis)
{
    std::string uri;
    {
        const std::lock_guard<std::mutex> lock(m_analysisMutex);
        m_analyses[pAnalysis->path] = pAnalysis;
        const auto known = m_uriOfPath.find(pAnalysis->path);
        uri = known != m_uriOfPath.end() ? known->second : LspPathToUri(pAnalysis->path);
    }
    std::map<std::string, json> byUri;
    byUri[uri] = json::array();
    for (const CFinding& finding : pAnalysis->findings)
    {
        const std::string findingUri = finding.InScript() ? uri : LspPathToUri(finding.file);
        json diagnostic = {{"range", RangeOf(finding)},
                           {"severity", SeverityOf(finding.severity)},
                           {"code", finding.rule},
                           {"source", "corvale"},
                           {"message", finding.message}};
        json related = json::array();
        for (const CRelatedPlace& place : finding.related)
        {
            if (place.nLine <= 0)
                continue;
            related.push_back({{"location",
                                {{"uri", place.file.empty() ? uri : LspPathToUri(place.file)},
                                 {"range", LspJson::Range(place.nLine - 1, 0, place.nLine, 0)}}},
                               {"message", place.message}});
        }
        if (!related.empty())
            diagnostic["relatedInformation"] = related;
        byUri[findingUri].push_back(std::move(diagnostic));
    }
    for (auto& [target, diagnostics] : byUri)
    {
        json params = {{"uri", target}, {"diagnostics", std::move(diagnostics)}};
        if (target == uri)
            params["version"] = pAnalysis->nVersion;
        Send({{"jsonrpc", "2.0"},
              {"method", "textDocument/publishDiagnostics"},
              {"params", std::move(params)}});
    }
}

std::string CLspServer::CommandHelp(const CLspDocument& document, size_t nOffset) const
{
    if (m_pLibrary == nullptr || m_pLibrary->RecordCount() == 0)
        return {};
    const CCommandAt at = CommandAt(document.Text(), nOffset);
    if (!at.bFound)
        return {};
    const std::string& name = at.name;
    const std::string& sub = at.sub;
    int nRecord = m_pLibrary->Find(name, "command");
    if (nRecord < 0)
        return {};
    if (!sub.empty())
    {
        const int nSub = m_pLibrary->Find(sub, name);
        if (nSub >= 0)
            nRecord = nSub;
    }
    std::string help;
    if (!m_pLibrary->FetchText(nRecord, help))
        return {};
    // The record's own line ("element:command") names it for the library only.
    const std::string own = std::string(m_pLibrary->KeywordOf(nRecord)) + ":" +
                            std::string(m_pLibrary->ParentOf(nRecord));
    const size_t nFirst = help.find_first_not_of(" \t\r\n");
    if (nFirst != std::string::npos && help.compare(nFirst, own.size(), own) == 0)
    {
        const size_t nBreak = help.find('\n', nFirst);
        help.erase(0, nBreak == std::string::npos ? help.size() : nBreak + 1);
    }
    return Utf8Of(help, m_pLibrary->IsUtf8(nRecord));
}

json CLspServer::Hover(const json& params)
{
    std::shared_ptr<const CAnalysis> pAnalysis;
    const CLspDocument* pDocument = DocumentOf(params, &pAnalysis);
    if (pDocument == nullptr)
        return nullptr;
    const CLspDocument& document = *pDocument;
    const size_t nOffset = document.Offset(PositionIn(params));
    std::vector<std::string> parts;
    if (pAnalysis != nullptr)
    {
        for (const CFinding& finding : pAnalysis->findings)
        {
            if (finding.InScript() && finding.nStart >= 0 &&
                nOffset >= static_cast<size_t>(finding.nStart) &&
                nOffset < static_cast<size_t>(std::max(finding.nEnd, finding.nStart + 1)))
                parts.push_back(finding.message);
        }
        if (pAnalysis->pDryRun != nullptr && pAnalysis->pDryRun->Text() == document.Text())
        {
            const std::string tip = pAnalysis->pDryRun->TipAt(nOffset);
            if (!tip.empty())
                parts.push_back(tip);
        }
    }
    const std::string help = CommandHelp(document, nOffset);
    if (!help.empty())
        parts.push_back(help);
    if (parts.empty())
        return nullptr;
    std::string value;
    for (const std::string& part : parts)
    {
        if (!value.empty())
            value += "\n\n";
        value += part;
    }
    return {{"contents", {{"kind", "plaintext"}, {"value", value}}}};
}

std::shared_ptr<const CAnalysis> CLspServer::LatestAnalysis(const json& params) const
{
    const std::lock_guard<std::mutex> lock(m_analysisMutex);
    const auto analysed = m_analyses.find(LspUriToPath(params.at("textDocument").at("uri")));
    return analysed != m_analyses.end() ? analysed->second : nullptr;
}

const CCommandKnowledge* CLspServer::KnowledgeOf(const CAnalysis* pAnalysis) const
{
    return pAnalysis != nullptr && pAnalysis->pKnowledge != nullptr ? pAnalysis->pKnowledge.get()
                                                                    : m_pKnowledge.get();
}

bool CLspServer::WaitUntilIdle(int nMs)
{
    return m_pSession == nullptr || m_pSession->WaitUntilIdle(nMs);
}

const CLspDocument* CLspServer::DocumentOf(const json& params,
                                           std::shared_ptr<const CAnalysis>* pAnalysis) const
{
    const std::string uri = params.at("textDocument").at("uri");
    const auto found = m_documents.find(uri);
    if (found == m_documents.end())
        return nullptr;
    if (pAnalysis != nullptr)
    {
        const std::lock_guard<std::mutex> lock(m_analysisMutex);
        const auto analysed = m_analyses.find(LspUriToPath(uri));
        if (analysed != m_analyses.end() && analysed->second->nVersion == found->second.Version())
            *pAnalysis = analysed->second;
    }
    return &found->second;
}

// Where what the place names is defined: a tag's first definition, from the
// dry run; a procedure's proc, a variable's first set, a sourced file.
json CLspServer::Definition(const json& params)
{
    std::shared_ptr<const CAnalysis> pAnalysis;
    const CLspDocument* pDocument = DocumentOf(params, &pAnalysis);
    if (pDocument == nullptr || pAnalysis == nullptr)
        return nullptr;
    const std::string uri = params["textDocument"]["uri"];
    const std::optional<CScriptNavigation::CPlace> place =
        CScriptNavigation(pDocument->Text(), LspUriToPath(uri), *pAnalysis)
            .Definition(pDocument->Offset(PositionIn(params)));
    return place ? LocationOf(*place, uri, *pDocument) : json(nullptr);
}

// Where what the place names is used: a tag's references, a procedure's
// calls, a variable's reads and sets.
json CLspServer::References(const json& params)
{
    std::shared_ptr<const CAnalysis> pAnalysis;
    const CLspDocument* pDocument = DocumentOf(params, &pAnalysis);
    json locations = json::array();
    if (pDocument == nullptr || pAnalysis == nullptr)
        return locations;
    const std::string uri = params["textDocument"]["uri"];
    const bool bDeclaration =
        params.value("context", json::object()).value("includeDeclaration", false);
    for (const CScriptNavigation::CPlace& place :
         CScriptNavigation(pDocument->Text(), LspUriToPath(uri), *pAnalysis)
             .References(pDocument->Offset(PositionIn(params)), bDeclaration))
        locations.push_back(LocationOf(place, uri, *pDocument));
    return locations;
}

// The fixes of the findings in the range, and a comment to silence each.
json CLspServer::CodeActions(const json& params)
{
    std::shared_ptr<const CAnalysis> pAnalysis;
    const CLspDocument* pDocument = DocumentOf(params, &pAnalysis);
    if (pDocument == nullptr || pAnalysis == nullptr)
        return json::array();
    const json& range = params.at("range");
    const size_t nFrom = pDocument->Offset(
        {range.at("start").at("line").get<long>(), range.at("start").at("character").get<long>()});
    const size_t nTo = pDocument->Offset(
        {range.at("end").at("line").get<long>(), range.at("end").at("character").get<long>()});
    return LspCodeActions::For(params["textDocument"]["uri"], *pDocument, *pAnalysis, nFrom, nTo);
}

json CLspServer::SemanticTokens(const json& params)
{
    const CLspDocument* pDocument = DocumentOf(params);
    if (pDocument == nullptr || m_pLibrary == nullptr)
        return nullptr;
    return {{"data", LspSemanticTokens::Of(pDocument->Text(), *m_pLibrary)}};
}

// What may be typed at the place; the last analysis, of an older version
// too, knows the names.
json CLspServer::Completion(const json& params)
{
    const CLspDocument* pDocument = DocumentOf(params);
    if (pDocument == nullptr)
        return json::array();
    const std::shared_ptr<const CAnalysis> pAnalysis = LatestAnalysis(params);
    const CScriptCompletion::CResult completion =
        CScriptCompletion(m_pLibrary.get(), KnowledgeOf(pAnalysis.get()))
            .At(pDocument->Text(), pAnalysis.get(), pDocument->Offset(PositionIn(params)));
    json items = json::array();
    for (const CScriptCompletion::CItem& item : completion.items)
    {
        json entry = {{"label", item.label}, {"kind", CompletionKindOf(item.kind)}};
        if (!item.detail.empty())
            entry["detail"] = item.detail;
        items.push_back(std::move(entry));
    }
    return items;
}

CLspServer::CCommandAt CLspServer::CommandAt(const std::string& wholeText, size_t nWholeOffset)
{
    const auto [nWindowFrom, nWindowTo] = ScriptText::CommandWindow(wholeText, nWholeOffset);
    const std::string_view text =
        std::string_view(wholeText).substr(nWindowFrom, nWindowTo - nWindowFrom);
    const size_t nOffset = nWholeOffset - nWindowFrom;
    // Copied out, as the walk's words live only while it walks.
    CCommandAt at;
    int nDepth = -1;
    CScriptIndex::Visit(
        text,
        [&](const CScriptIndex::CCommand& command,
            const std::vector<const CScriptIndex::CCommand*>&)
        {
            if (nOffset < command.nOffset || nOffset > command.nOffset + command.text.size() ||
                command.nDepth < nDepth)
                return;
            nDepth = command.nDepth;
            at.bFound = !command.words.empty() && command.words[0].bLiteral;
            at.name = at.bFound ? std::string(command.words[0].text) : std::string();
            at.sub = command.words.size() >= 2 && command.words[1].bLiteral &&
                             nOffset >= command.words[1].nOffset
                         ? std::string(command.words[1].text)
                         : std::string();
            at.nWord = 0;
            for (size_t i = 1; i < command.words.size(); ++i)
            {
                if (command.words[i].nOffset <= nOffset)
                    at.nWord = i;
            }
            // Past the last word and a blank: the next word.
            const size_t nLastEnd = command.words.back().nOffset + command.words.back().text.size();
            if (nOffset > nLastEnd && at.nWord + 1 == command.words.size() &&
                command.words.back().bLiteral)
                at.nWord = command.words.size();
        });
    // A command being typed past its last word, at the line's end, is not
    // in the walk's reach when it ends in a blank: the line tells.
    if (!at.bFound)
    {
        std::string word;
        std::vector<std::string> words = ScriptText::WordsTyped(text, nOffset, word);
        if (!word.empty())
            words.push_back(word);
        if (!words.empty())
        {
            at.bFound = true;
            at.name = words[0];
            at.sub = words.size() >= 2 ? words[1] : std::string();
            at.nWord = word.empty() ? words.size() : words.size() - 1;
        }
    }
    return at;
}

// The usage forms of the command at the place, the word being typed the
// active parameter.
json CLspServer::SignatureHelp(const json& params)
{
    const CLspDocument* pDocument = DocumentOf(params);
    const std::shared_ptr<const CAnalysis> pAnalysis = LatestAnalysis(params);
    const CCommandKnowledge* pKnowledge = KnowledgeOf(pAnalysis.get());
    if (pDocument == nullptr || pKnowledge == nullptr)
        return nullptr;
    const CCommandAt at = CommandAt(pDocument->Text(), pDocument->Offset(PositionIn(params)));
    if (!at.bFound)
        return nullptr;
    const CCommandSignatures shown = CCommandSignatures::Of(*pKnowledge, at.name, at.sub, at.nWord);
    if (shown.forms.empty())
        return nullptr;
    json signatures = json::array();
    for (const CCommandSignatures::CForm& form : shown.forms)
    {
        json parameters = json::array();
        for (const auto& [nFrom, nTo] : form.parameters)
            parameters.push_back({{"label", form.line.substr(nFrom, nTo - nFrom)}});
        signatures.push_back({{"label", form.line}, {"parameters", parameters}});
    }
    return {{"signatures", signatures}, {"activeSignature", 0}, {"activeParameter", shown.nActive}};
}

// The procedures, and the model's definitions by kind, from the last
// analysis of the document's version.
json CLspServer::DocumentSymbols(const json& params)
{
    std::shared_ptr<const CAnalysis> pAnalysis;
    const CLspDocument* pDocument = DocumentOf(params, &pAnalysis);
    json symbols = json::array();
    if (pDocument == nullptr || pAnalysis == nullptr)
        return symbols;
    constexpr int kFunction = 12;
    constexpr int kNamespace = 3;
    constexpr int kConstant = 14;
    constexpr size_t kMostOfAKind = 10000;
    const auto rangeOf = [&](long nStart, long nEnd)
    {
        const CLspPosition from = pDocument->PositionOf(static_cast<size_t>(std::max(0L, nStart)));
        const CLspPosition to = pDocument->PositionOf(static_cast<size_t>(std::max(nStart, nEnd)));
        return LspJson::Range(from.nLine, from.nCharacter, to.nLine, to.nCharacter);
    };
    if (pAnalysis->pOutline != nullptr)
    {
        for (const CScriptOutline::CProcedure& procedure : pAnalysis->pOutline->Procedures())
        {
            const json range = rangeOf(procedure.place.nStart, procedure.place.nEnd);
            symbols.push_back(
                {{"name", procedure.name},
                 {"detail", "proc " + procedure.name + " {" + procedure.parameters + "}"},
                 {"kind", kFunction},
                 {"range", range},
                 {"selectionRange", range}});
        }
    }
    const std::shared_ptr<const CDryRunResult>& pRun = pAnalysis->pDryRun;
    if (pRun == nullptr || pRun->Text() != pDocument->Text())
        return symbols;
    const CModelFacts& facts = pRun->Facts();
    const CDryRunCalls& calls = pRun->Report().calls;
    std::map<std::string, json> byKind;
    for (size_t nCall = 0; nCall < calls.size(); ++nCall)
    {
        const long nTagWord = facts.TagWord(nCall);
        const CDryRunCall call = calls[nCall];
        if (nTagWord < 0 || call.place.nFile != 0 || call.place.nLine <= 0)
            continue;
        const std::string kind(call.words[0]);
        const std::string tag = facts.Tag(calls, nCall);
        if (facts.DefinitionOf(calls, kind, tag) != static_cast<long>(nCall))
            continue;
        json& children = byKind[kind];
        if (children.size() >= kMostOfAKind)
            continue;
        const json range = LspJson::Range(call.place.nLine - 1, 0, call.place.nLine - 1, 0);
        children.push_back({{"name", kind + " " + tag},
                            {"kind", kConstant},
                            {"range", range},
                            {"selectionRange", range}});
    }
    for (auto& [kind, children] : byKind)
    {
        // The kind's range holds its children's lines, wherever loops put them.
        long nFirst = std::numeric_limits<long>::max();
        long nLast = 0;
        for (const json& child : children)
        {
            nFirst = std::min(nFirst, child["range"]["start"]["line"].get<long>());
            nLast = std::max(nLast, child["range"]["start"]["line"].get<long>());
        }
        const json range = LspJson::Range(nFirst, 0, nLast, 0);
        symbols.push_back({{"name", kind},
                           {"detail", std::to_string(children.size()) + " defined"},
                           {"kind", kNamespace},
                           {"range", range},
                           {"selectionRange", range},
                           {"children", std::move(children)}});
    }
    return symbols;
}
