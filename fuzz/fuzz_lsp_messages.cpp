// The language server's reader and session on arbitrary bytes: the first
// byte cuts the stream into pieces of its size, the reader frames them, and
// each message goes to a server that has been initialized. Nothing crashes,
// the reader holds no more than a message and its header, every answer is
// JSON, and the documents' places stay inside their text.
#include "FuzzSupport.h"
#include "lsp/LspFraming.h"
#include "lsp/LspServer.h"

#include <nlohmann/json.hpp>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    static CFuzzMessages s_messages;
    if (nSize == 0)
        return 0;
    const size_t nPiece = 1 + pData[0] % 64;
    const std::string_view bytes = BytesOf(pData + 1, nSize - 1);
    CLspServer::COptions options;
    // No analysis runs in the time of one input: the session only keeps the texts.
    options.nPauseMs = 1000000;
    options.nDryRunPauseMs = 1000000;
    options.nMaxDocument = 1 << 16;
    CLspServer server(options,
                      [](const std::string& json) {
                          Require(!nlohmann::json::parse(json, nullptr, false).is_discarded(),
                                  "every answer is JSON");
                      });
    server.Handle("{\"jsonrpc\":\"2.0\",\"id\":0,\"method\":\"initialize\",\"params\":"
                  "{\"initializationOptions\":{\"helpDir\":\"" CORVALE_SOURCE_DIR
                  "/share/help/\"}}}");
    CLspMessageReader reader;
    for (size_t nAt = 0; nAt < bytes.size(); nAt += nPiece)
    {
        reader.Feed(bytes.substr(nAt, nPiece));
        Require(reader.Held() <=
                    CLspMessageReader::kMaxMessage + CLspMessageReader::kMaxHeader + 64,
                "the reader holds at most a message and its header");
        if (!reader.Deliver([&](const std::vector<std::string>& messages)
                            { return server.HandleAll(messages); },
                            [&](const std::string& why) { server.Refused(why); }))
            return 0;
    }
    // The same bytes as one message, framed or not.
    (void)server.Handle(std::string(bytes));
    return 0;
}
