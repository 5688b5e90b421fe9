// corvale-lsp: the analysis engine as a language server, speaking the
// Language Server Protocol over its standard input and output.
#include "LspFraming.h"
#include "LspServer.h"
#include "config/Configuration.h"
#include "run/HelperProgram.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace
{
class CCollected : public CMessageSink
{
public:
    void ShowMessage(const std::string& text) override { m_text += text; }
    std::string m_text;
};

// Writes the whole of a buffer, whatever write() takes at a time.
bool WriteAll(const std::string& bytes)
{
    size_t nDone = 0;
    while (nDone < bytes.size())
    {
        const ssize_t nWritten = ::write(STDOUT_FILENO, bytes.data() + nDone, bytes.size() - nDone);
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten <= 0)
            return false;
        nDone += static_cast<size_t>(nWritten);
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--version") == 0)
        {
            std::printf("corvale-lsp %s\n", CORVALE_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--stdio") != 0)
        {
            std::fprintf(stderr, "usage: corvale-lsp [--stdio]\n"
                                 "A language server on standard input and output; see "
                                 "corvale-lsp(1).\n");
            return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
        }
    }
    CLspServer::COptions options;
    options.dryRunHelper = HelperProgram("corvale-dryrun");
    options.configuredHelpDir = [](std::string& why)
    {
        CCollected messages;
        const std::string dir = CConfiguration::HelpDirectory("", messages);
        why = messages.m_text;
        return dir;
    };
    CLspServer server(options, [](const std::string& json) { WriteAll(LspFrame(json)); });
    CLspMessageReader reader;
    char buffer[65536];
    for (;;)
    {
        const ssize_t nRead = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead <= 0)
            return server.ExitCode(); // the client went without exit
        reader.Feed(std::string_view(buffer, static_cast<size_t>(nRead)));
        if (!reader.Deliver([&](const std::vector<std::string>& messages)
                            { return server.HandleAll(messages); },
                            [&](const std::string& why) { server.Refused(why); }))
            return server.ExitCode();
    }
}
