// The language server in-process, as a client drives it: the handshake, the
// demo with mistakes planted and its diagnostics, hovers, and every message
// it must refuse without going down.
#include "lsp/LspServer.h"

#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <gmock/gmock.h>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

using json = nlohmann::json;

namespace
{
std::string Demo()
{
    std::ifstream in(CORVALE_SOURCE_DIR "/share/demo/example.tcl", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A client: what it sends, and each message the server writes, kept in order.
class CClient
{
public:
    explicit CClient(std::string helpDir = CORVALE_SOURCE_DIR "/share/help/",
                     size_t nMaxDocument = 32u << 20)
        : m_server(Options(nMaxDocument), [this](const std::string& text) { Received(text); }),
          m_helpDir(std::move(helpDir))
    {
    }

    static CLspServer::COptions Options(size_t nMaxDocument)
    {
        CLspServer::COptions options;
        options.dryRunHelper = CORVALE_DRYRUN;
        options.nPauseMs = 0;
        options.nDryRunPauseMs = 0;
        options.nMaxDocument = nMaxDocument;
        options.configuredHelpDir = [](std::string& why)
        {
            why = "no configuration in the test";
            return std::string();
        };
        return options;
    }

    bool Send(const json& message) { return m_server.Handle(message.dump()); }
    json Request(const std::string& method, const json& params)
    {
        const long nId = ++m_nId;
        Send({{"jsonrpc", "2.0"}, {"id", nId}, {"method", method}, {"params", params}});
        return WaitFor([&](const json& message)
                       { return message.contains("id") && message["id"] == nId; });
    }
    void Notify(const std::string& method, const json& params)
    {
        Send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
    }
    json Initialize()
    {
        json options = json::object();
        if (!m_helpDir.empty())
            options["helpDir"] = m_helpDir;
        const json answer = Request("initialize", {{"processId", nullptr},
                                                   {"rootUri", nullptr},
                                                   {"capabilities", json::object()},
                                                   {"initializationOptions", options}});
        Notify("initialized", json::object());
        return answer;
    }

    // The first message received, from the first not yet looked at, that
    // satisfies a test; null after 20 s without one.
    template <typename TTest> json WaitFor(TTest test)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;)
        {
            for (size_t i = 0; i < m_received.size(); ++i)
            {
                if (test(m_received[i]))
                    return m_received[i];
            }
            if (m_arrived.wait_until(lock, deadline) == std::cv_status::timeout)
                return nullptr;
        }
    }
    // The diagnostics of a version once the dry run's are in.
    json Diagnostics(const std::string& uri, long nVersion, const std::string& rule)
    {
        return WaitFor(
            [&](const json& message)
            {
                if (message.value("method", "") != "textDocument/publishDiagnostics" ||
                    message["params"]["uri"] != uri ||
                    message["params"].value("version", -1L) != nVersion)
                    return false;
                for (const json& diagnostic : message["params"]["diagnostics"])
                {
                    if (diagnostic["code"] == rule)
                        return true;
                }
                return false;
            })["params"]["diagnostics"];
    }
    std::vector<json> Received()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }

    CLspServer m_server;

private:
    void Received(const std::string& text)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_received.push_back(json::parse(text));
        m_arrived.notify_all();
    }

    std::string m_helpDir;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<json> m_received;
    long m_nId = 0;
};

json Position(long nLine, long nCharacter)
{
    return {{"line", nLine}, {"character", nCharacter}};
}

// The line (from 0) of the first line that begins as text does.
long LineOf(const std::string& script, const std::string& text)
{
    std::istringstream lines(script);
    std::string line;
    for (long n = 0; std::getline(lines, line); ++n)
    {
        if (line.rfind(text, 0) == 0)
            return n;
    }
    return -1;
}
} // namespace

TEST(LspServer, TheDemoWithMistakesPlantedGetsEachAsADiagnosticAndHoversTell)
{
    CTempDir dir;
    std::ifstream part(CORVALE_SOURCE_DIR "/share/demo/materials_part.tcl", std::ios::binary);
    std::ostringstream partText;
    partText << part.rdbuf();
    dir.Write("materials_part.tcl", partText.str());
    std::string script = Demo();
    // A misspelt sub-command, a node that does not exist, a typo in a variable.
    const auto plant = [&](const std::string& from, const std::string& to)
    {
        const size_t nAt = script.find(from);
        ASSERT_NE(nAt, std::string::npos) << from;
        script.replace(nAt, from.size(), to);
    };
    plant("element Beam 3", "element Baem 3");
    plant("element Beam 5 5 6", "element Beam 5 5 9");
    plant("node 2 $bayWidth", "node 2 $bayWdth");
    const std::string path = dir.Write("example.tcl", script);
    const std::string uri = LspPathToUri(path);

    CClient client;
    const json initialized = client.Initialize();
    EXPECT_EQ(initialized["result"]["capabilities"]["textDocumentSync"]["change"], 2);
    EXPECT_EQ(initialized["result"]["serverInfo"]["name"], "corvale-lsp");
    client.Notify("textDocument/didOpen",
                  {{"textDocument",
                    {{"uri", uri}, {"languageId", "tcl"}, {"version", 1}, {"text", script}}}});
    const json diagnostics = client.Diagnostics(uri, 1, "run/error");
    ASSERT_TRUE(diagnostics.is_array());
    std::vector<std::string> found;
    for (const json& diagnostic : diagnostics)
    {
        EXPECT_EQ(diagnostic["source"], "corvale");
        found.push_back(std::to_string(diagnostic["range"]["start"]["line"].get<long>() + 1) + " " +
                        diagnostic["code"].get<std::string>());
    }
    const std::string typo = std::to_string(LineOf(script, "node 2 $bayWdth") + 1);
    EXPECT_THAT(
        found,
        ::testing::IsSupersetOf(
            {std::to_string(LineOf(script, "element Baem") + 1) + " usage/unknown-subcommand",
             std::to_string(LineOf(script, "element Beam 5 5 9") + 1) + " model/undefined-tag",
             typo + " run/error"}))
        << ::testing::PrintToString(found);

    // The variable's value from the dry run, a command's help, a tag's definition.
    const long nWidth = LineOf(script, "node 3 ");
    const std::string widthLine = script.substr(script.find("node 3 "), 40);
    const json hover = client.Request(
        "textDocument/hover",
        {{"textDocument", {{"uri", uri}}},
         {"position", Position(nWidth, static_cast<long>(widthLine.find("$bayWidth")) + 3)}});
    EXPECT_THAT(hover["result"]["contents"]["value"].get<std::string>(),
                ::testing::HasSubstr("bayWidth = 6.0"));
    const json help = client.Request(
        "textDocument/hover", {{"textDocument", {{"uri", uri}}},
                               {"position", Position(LineOf(script, "element Beam 1"), 10)}});
    EXPECT_THAT(help["result"]["contents"]["value"].get<std::string>(),
                ::testing::HasSubstr("Beam"));
    const json tag = client.Request(
        "textDocument/hover", {{"textDocument", {{"uri", uri}}},
                               {"position", Position(LineOf(script, "element Beam 4 4 5"), 17)}});
    EXPECT_THAT(tag["result"]["contents"]["value"].get<std::string>(),
                ::testing::HasSubstr("node 5: defined at line"));

    // Definitions: a node's tag lands on its node line, a variable on its set.
    const json node =
        client.Request("textDocument/definition",
                       {{"textDocument", {{"uri", uri}}},
                        {"position", Position(LineOf(script, "element Beam 4 4 5"), 17)}});
    EXPECT_EQ(node["result"]["uri"], uri);
    EXPECT_EQ(node["result"]["range"]["start"]["line"], LineOf(script, "node 5 "));
    const json width = client.Request(
        "textDocument/definition",
        {{"textDocument", {{"uri", uri}}},
         {"position", Position(nWidth, static_cast<long>(widthLine.find("$bayWidth")) + 3)}});
    EXPECT_EQ(width["result"]["range"]["start"]["line"], LineOf(script, "set bayWidth"));

    // The usage form of the command at the place, the word there its active parameter.
    const json signature =
        client.Request("textDocument/signatureHelp",
                       {{"textDocument", {{"uri", uri}}},
                        {"position", Position(LineOf(script, "element Beam 4 4 5"), 17)}});
    ASSERT_FALSE(signature["result"]["signatures"].empty()) << signature.dump();
    EXPECT_THAT(signature["result"]["signatures"][0]["label"].get<std::string>(),
                ::testing::StartsWith("element Beam <tag>"));
    EXPECT_EQ(signature["result"]["activeParameter"], 2); // <tag> <iNode> <jNode>
    // The model's definitions by kind.
    const json symbols =
        client.Request("textDocument/documentSymbol", {{"textDocument", {{"uri", uri}}}});
    std::map<std::string, size_t> kinds;
    for (const json& symbol : symbols["result"])
        kinds[symbol["name"]] = symbol.value("children", json::array()).size();
    // Node 2 fails on the planted typo; the material stands in the sourced file.
    EXPECT_EQ(kinds["node"], 5U);
    EXPECT_EQ(kinds["element"], 6U);
    EXPECT_EQ(kinds.count("material"), 0U);

    // Completion: a type after element, a variable after $, a command at a line's start.
    const long nLast = static_cast<long>(std::count(script.begin(), script.end(), '\n'));
    const auto labels = [&](const std::string& typed)
    {
        client.Notify("textDocument/didChange",
                      {{"textDocument", {{"uri", uri}, {"version", 10 + typed.size()}}},
                       {"contentChanges",
                        {{{"range", {{"start", Position(nLast, 0)}, {"end", Position(nLast, 99)}}},
                          {"text", typed}}}}});
        const json answer =
            client.Request("textDocument/completion",
                           {{"textDocument", {{"uri", uri}}},
                            {"position", Position(nLast, static_cast<long>(typed.size()))}});
        std::vector<std::string> found;
        for (const json& item : answer["result"])
            found.push_back(item["label"]);
        return found;
    };
    EXPECT_THAT(labels("element "), ::testing::IsSupersetOf({"Beam", "Truss"}));
    EXPECT_THAT(labels("puts $bay"), ::testing::ElementsAre("bayWidth"));
    EXPECT_THAT(labels("nod"), ::testing::Contains("node"));
    client.Notify("textDocument/didChange",
                  {{"textDocument", {{"uri", uri}, {"version", 30}}},
                   {"contentChanges",
                    {{{"range", {{"start", Position(nLast, 0)}, {"end", Position(nLast, 99)}}},
                      {"text", ""}}}}});

    // An edit as the client sends it: the typo mended in its range; the next
    // version's diagnostics no longer have it.
    const long nTypo = LineOf(script, "node 2 $bayWdth");
    client.Notify("textDocument/didChange",
                  {{"textDocument", {{"uri", uri}, {"version", 31}}},
                   {"contentChanges",
                    {{{"range", {{"start", Position(nTypo, 11)}, {"end", Position(nTypo, 11)}}},
                      {"text", "i"}}}}});
    // The check's result comes first, carrying the last run's findings; the
    // dry run of the mended text then has none of the typo.
    const json mended = client.WaitFor(
        [&](const json& message)
        {
            if (message.value("method", "") != "textDocument/publishDiagnostics" ||
                message["params"].value("version", -1L) != 31)
                return false;
            for (const json& diagnostic : message["params"]["diagnostics"])
            {
                if (diagnostic["code"] == "run/error")
                    return false;
            }
            return true;
        });
    EXPECT_TRUE(mended.is_object());

    EXPECT_EQ(client.Request("shutdown", nullptr)["result"], nullptr);
    EXPECT_FALSE(client.Send({{"jsonrpc", "2.0"}, {"method", "exit"}}));
    EXPECT_EQ(client.m_server.ExitCode(), 0);
}

TEST(LspServer, MessagesItCannotServeAreAnsweredWithTheProtocolsErrors)
{
    CClient client(CORVALE_SOURCE_DIR "/share/help/", 1000);
    const auto code = [](const json& answer) { return answer["error"]["code"].get<int>(); };
    // Before initialize: a request is refused, a notification dropped.
    EXPECT_EQ(code(client.Request("textDocument/hover", json::object())), -32002);
    client.Notify("textDocument/didOpen", json::object());
    client.Initialize();
    EXPECT_EQ(code(client.Request("initialize", json::object())), -32600);
    EXPECT_EQ(code(client.Request("workspace/noSuchThing", json::object())), -32601);
    EXPECT_EQ(code(client.Request("textDocument/hover", {{"textDocument", 5}})), -32602);
    // Not JSON, JSON without a method, a refusal of the reader.
    EXPECT_TRUE(client.m_server.Handle("{\"jsonrpc\":\"2.0\",\"id\":"));
    EXPECT_TRUE(client.m_server.Handle("[1,2]"));
    client.m_server.Refused("a message of 2147483648 bytes; at most 67108864 are read");
    const std::vector<json> received = client.Received();
    ASSERT_GE(received.size(), 3U);
    EXPECT_EQ(received[received.size() - 3]["error"]["code"], -32700);
    EXPECT_EQ(received[received.size() - 2]["error"]["code"], -32600);
    EXPECT_THAT(received.back()["error"]["message"].get<std::string>(),
                ::testing::HasSubstr("2147483648"));
    // A request cancelled by a message read with it is answered as cancelled;
    // the one after it is served.
    const auto hover = [](int nId)
    {
        return json({{"jsonrpc", "2.0"},
                     {"id", nId},
                     {"method", "textDocument/hover"},
                     {"params",
                      {{"textDocument", {{"uri", "file:///none.tcl"}}},
                       {"position", Position(0, 0)}}}})
            .dump();
    };
    EXPECT_TRUE(client.m_server.HandleAll(
        {hover(70),
         json({{"jsonrpc", "2.0"}, {"method", "$/cancelRequest"}, {"params", {{"id", 70}}}}).dump(),
         hover(71)}));
    EXPECT_EQ(code(client.WaitFor([](const json& m) { return m.contains("id") && m["id"] == 70; })),
              -32800);
    EXPECT_TRUE(client.WaitFor([](const json& m) { return m.contains("id") && m["id"] == 71; })
                    .contains("result"));
    // A document too large is refused with a message; the server goes on.
    client.Notify(
        "textDocument/didOpen",
        {{"textDocument",
          {{"uri", "file:///big.tcl"}, {"version", 1}, {"text", std::string(1001, '#')}}}});
    EXPECT_THAT(client.Received().back()["params"]["message"].get<std::string>(),
                ::testing::HasSubstr("larger than 1000 bytes"));
    // Exit without shutdown ends with 1.
    EXPECT_FALSE(client.Send({{"jsonrpc", "2.0"}, {"method", "exit"}}));
    EXPECT_EQ(client.m_server.ExitCode(), 1);
}

TEST(LspServer, WithoutAHelpLibraryTclIsStillCheckedAndOneMessageSaysWhy)
{
    CClient client("");
    client.Initialize();
    const json message =
        client.WaitFor([](const json& m) { return m.value("method", "") == "window/showMessage"; });
    EXPECT_THAT(message["params"]["message"].get<std::string>(),
                ::testing::HasSubstr("no configuration in the test"));
    client.Notify(
        "textDocument/didOpen",
        {{"textDocument",
          {{"uri", "file:///nowhere/s.tcl"}, {"version", 3}, {"text", "puts $nothing\n"}}}});
    const json diagnostics = client.Diagnostics("file:///nowhere/s.tcl", 3, "variable/unset");
    ASSERT_EQ(diagnostics.size(), 1U);
    EXPECT_EQ(diagnostics[0]["range"]["start"], Position(0, 5));
    client.Notify("textDocument/didClose", {{"textDocument", {{"uri", "file:///nowhere/s.tcl"}}}});
    EXPECT_TRUE(client
                    .WaitFor(
                        [](const json& m)
                        {
                            return m.value("method", "") == "textDocument/publishDiagnostics" &&
                                   m["params"]["diagnostics"].empty();
                        })
                    .is_object());
}

TEST(LspServer, FileUrisAndPathsMapBothWays)
{
    EXPECT_EQ(LspUriToPath("file:///home/a%20b/s%C3%A9.tcl"), "/home/a b/sé.tcl");
    EXPECT_EQ(LspUriToPath("file://localhost/x.tcl"), "/x.tcl");
    EXPECT_EQ(LspUriToPath("untitled:Untitled-1"), "untitled:Untitled-1");
    EXPECT_EQ(LspPathToUri("/home/a b/sé.tcl"), "file:///home/a%20b/s%C3%A9.tcl");
    EXPECT_EQ(LspUriToPath(LspPathToUri("/tmp/#%?.tcl")), "/tmp/#%?.tcl");
}

namespace
{
// The demo beside its sourced part in a folder, open in an initialized
// client, analysed to its dry run.
class CDemoOpen
{
public:
    explicit CDemoOpen(std::string script) : m_script(std::move(script))
    {
        std::ifstream part(CORVALE_SOURCE_DIR "/share/demo/materials_part.tcl", std::ios::binary);
        std::ostringstream partText;
        partText << part.rdbuf();
        m_dir.Write("materials_part.tcl", partText.str());
        m_uri = LspPathToUri(m_dir.Write("example.tcl", m_script));
        m_client.Initialize();
        m_client.Notify(
            "textDocument/didOpen",
            {{"textDocument",
              {{"uri", m_uri}, {"languageId", "tcl"}, {"version", 1}, {"text", m_script}}}});
        // The dry run's result carries the model's findings; the demo has
        // an unused one only when a mistake is planted, so wait for the stage.
        m_client.m_server.WaitUntilIdle(20000);
    }
    // A request at the place where text begins on the line that begins with line.
    json At(const std::string& method, const std::string& line, const std::string& text,
            json extra = json::object())
    {
        const long nLine = LineOf(m_script, line);
        const size_t nLineStart = m_script.find(line);
        const size_t nAt = m_script.find(text, nLineStart);
        extra["textDocument"] = {{"uri", m_uri}};
        extra["position"] = Position(nLine, static_cast<long>(nAt - nLineStart));
        return m_client.Request(method, extra)["result"];
    }
    long Line(const std::string& line) const { return LineOf(m_script, line); }

    CTempDir m_dir;
    std::string m_script;
    std::string m_uri;
    CClient m_client;
};

std::vector<std::string> Labels(const json& items)
{
    std::vector<std::string> labels;
    for (const json& item : items)
        labels.push_back(item["label"]);
    return labels;
}
} // namespace

// References, code actions, semantic tokens and what completion offers
// inside a command, on the demo with a misspelt command.
TEST(LspServer, ReferencesFixesTokensAndArgumentsOfTheDemo)
{
    std::string script = Demo();
    script.replace(script.find("support 3 "), 10, "suport 3 ");
    // Commands being typed, each on a line of its own at the end.
    script += "supportPlane \nload \nelement Truss 9 1 2 0.01 \nmodel -d\nproc bays {n} {\n"
              "    node 7 [expr {$n * $bayWidth}] 0.0\n}\nbays 2\nbays 3\n";
    CDemoOpen demo(script);

    // Every place node 5 is named: its node line, the elements, the load.
    const json references = demo.At("textDocument/references", "element Beam 4 4 5", "5",
                                    {{"context", {{"includeDeclaration", true}}}});
    std::vector<long> lines;
    for (const json& location : references)
        lines.push_back(location["range"]["start"]["line"]);
    EXPECT_THAT(lines, ::testing::UnorderedElementsAre(
                           demo.Line("node 5 "), demo.Line("element Beam 2 2 5"),
                           demo.Line("element Beam 4 4 5"), demo.Line("element Beam 5 5 6"),
                           demo.Line("element Truss 6 1 5"), demo.Line("    load 5 "),
                           demo.Line("output Node"), demo.Line("    puts \"roof"),
                           demo.Line("set roofDrift")))
        << references.dump();
    // The word itself, not the line's start: "element Beam 2 2 5" names it last.
    const json onBeam2 =
        *std::find_if(references.begin(), references.end(),
                      [&](const json& l)
                      { return l["range"]["start"]["line"] == demo.Line("element Beam 2 2 5"); });
    EXPECT_EQ(onBeam2["range"]["start"]["character"], 17);
    EXPECT_EQ(onBeam2["range"]["end"]["character"], 18);
    // A variable's sets and reads; a procedure's calls and its proc.
    EXPECT_EQ(demo.At("textDocument/references", "set bayWidth", "bayWidth",
                      {{"context", {{"includeDeclaration", true}}}})
                  .size(),
              6U); // the set, nodes 2, 3, 5 and 6, the proc's body
    EXPECT_EQ(demo.At("textDocument/references", "bays 2", "bays",
                      {{"context", {{"includeDeclaration", false}}}})
                  .size(),
              2U);
    // A sourced file: each source of it.
    const json sources = demo.At("textDocument/references", "source materials_part.tcl",
                                 "materials", {{"context", {{"includeDeclaration", true}}}});
    ASSERT_EQ(sources.size(), 1U);
    EXPECT_EQ(sources[0]["range"]["start"]["line"], demo.Line("source materials_part.tcl"));

    // The misspelt command: its fix, and the comment that silences it.
    const long nTypo = demo.Line("suport");
    const json actions =
        demo.At("textDocument/codeAction", "suport", "suport",
                {{"range", {{"start", Position(nTypo, 2)}, {"end", Position(nTypo, 2)}}},
                 {"context", {{"diagnostics", json::array()}}}});
    std::vector<std::string> titles;
    for (const json& action : actions)
        titles.push_back(action["title"]);
    EXPECT_THAT(titles,
                ::testing::IsSupersetOf({"Replace with support", "Ignore command/unknown here"}));
    for (const json& action : actions)
    {
        const json edit = action["edit"]["changes"][demo.m_uri][0];
        if (action["title"] == "Replace with support")
        {
            EXPECT_EQ(edit["newText"], "support");
            EXPECT_EQ(edit["range"]["start"], Position(nTypo, 0));
            EXPECT_EQ(edit["range"]["end"], Position(nTypo, 6));
        }
        else if (action["title"] == "Ignore command/unknown here")
        {
            EXPECT_EQ(edit["newText"], "# corvale: ignore command/unknown\n");
            EXPECT_EQ(edit["range"]["start"], Position(nTypo, 0));
        }
    }

    // Tokens: the comment, the library's command and its flag, a Tcl keyword.
    const json tokens =
        demo.m_client.Request("textDocument/semanticTokens/full",
                              {{"textDocument", {{"uri", demo.m_uri}}}})["result"]["data"];
    std::map<std::pair<long, long>, std::pair<long, long>> byPlace; // -> (length, type)
    long nLine = 0;
    long nCharacter = 0;
    for (size_t i = 0; i + 4 < tokens.size(); i += 5)
    {
        nCharacter =
            tokens[i] == 0 ? nCharacter + tokens[i + 1].get<long>() : tokens[i + 1].get<long>();
        nLine += tokens[i].get<long>();
        byPlace[{nLine, nCharacter}] = {tokens[i + 2].get<long>(), tokens[i + 3].get<long>()};
    }
    const long nModel = demo.Line("model -dims");
    EXPECT_EQ(byPlace[std::make_pair(0L, 0L)].second, 4);                   // comment
    EXPECT_EQ(byPlace[std::make_pair(nModel, 0L)], std::make_pair(5L, 1L)); // function
    EXPECT_EQ(byPlace[std::make_pair(nModel, 6L)], std::make_pair(5L, 3L)); // -dims
    EXPECT_EQ(byPlace[std::make_pair(demo.Line("set bayWidth"), 0L)], std::make_pair(3L, 0L));
    EXPECT_EQ(byPlace[std::make_pair(demo.Line("element Beam 1"), 8L)], std::make_pair(4L, 2L));

    // After a command: its choices and flags; where a tag of a kind goes, the tags.
    const auto after = [&](const std::string& line)
    {
        const long nAt = demo.Line(line);
        return Labels(demo.m_client.Request(
            "textDocument/completion",
            {{"textDocument", {{"uri", demo.m_uri}}},
             {"position", Position(nAt, static_cast<long>(line.size()))}})["result"]);
    };
    EXPECT_THAT(after("supportPlane "), ::testing::IsSupersetOf({"-x", "-y", "-z"}));
    EXPECT_THAT(after("load "), ::testing::IsSupersetOf({"1", "2", "3", "4", "5", "6"}));
    EXPECT_THAT(after("element Truss 9 1 2 0.01 "), ::testing::Contains("1")); // the material
    EXPECT_THAT(after("model -d"), ::testing::ElementsAre("-dims"));

    // A hover inside a procedure's body finds the command there.
    EXPECT_THAT(
        demo.At("textDocument/hover", "    node 7", "node")["contents"]["value"].get<std::string>(),
        ::testing::HasSubstr("node"));
}

// Without the option, the project file of the workspace names the library.
TEST(LspServer, TheWorkspacesProjectFileNamesTheHelpLibrary)
{
    CTempDir dir;
    dir.Write("corvale.toml", "help = \"" CORVALE_SOURCE_DIR "/share/help\"\n");
    CClient client("");
    const json answer = client.Request("initialize", {{"processId", nullptr},
                                                      {"rootUri", LspPathToUri(dir.PathOf("."))},
                                                      {"capabilities", json::object()}});
    ASSERT_TRUE(answer.contains("result"));
    const std::string uri = LspPathToUri(dir.PathOf("s.tcl"));
    client.Notify("textDocument/didOpen",
                  {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", "element \n"}}}});
    const json items =
        client.Request("textDocument/completion",
                       {{"textDocument", {{"uri", uri}}}, {"position", Position(0, 8)}})["result"];
    EXPECT_THAT(Labels(items), ::testing::Contains("Beam"));
    for (const json& message : client.Received())
        EXPECT_NE(message.value("method", ""), "window/showMessage") << message.dump();
}

// Changes sent faster than they are analysed: no diagnostics of a version
// come after those of a newer one, and the last are of the last text.
TEST(LspServer, AnOlderVersionsDiagnosticsNeverFollowANewerOnes)
{
    CClient client;
    client.Initialize();
    const std::string uri = "file:///nowhere/v.tcl";
    client.Notify("textDocument/didOpen",
                  {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", "nodee 1 0 0\n"}}}});
    for (long nVersion = 2; nVersion <= 20; ++nVersion)
        client.Notify(
            "textDocument/didChange",
            {{"textDocument", {{"uri", uri}, {"version", nVersion}}},
             {"contentChanges",
              {{{"text", nVersion == 20 ? std::string("node 1 0 0\n")
                                        : "nodee " + std::to_string(nVersion) + " 0 0\n"}}}}});
    ASSERT_TRUE(client.m_server.WaitUntilIdle(20000));
    long nLast = 0;
    json last;
    for (const json& message : client.Received())
    {
        if (message.value("method", "") != "textDocument/publishDiagnostics" ||
            message["params"]["uri"] != uri)
            continue;
        const long nVersion = message["params"].value("version", 0L);
        EXPECT_GE(nVersion, nLast);
        nLast = nVersion;
        last = message["params"]["diagnostics"];
    }
    EXPECT_EQ(nLast, 20);
    for (const json& diagnostic : last)
        EXPECT_NE(diagnostic["code"], "command/unknown") << diagnostic.dump();
}
