// The base protocol's reader: messages however the bytes come, and every
// header it cannot read refused without holding more than a message.
#include "lsp/LspFraming.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
// Every message and refusal the reader gives for the bytes, fed in pieces of a size.
std::vector<std::string> ReadAll(const std::string& bytes, size_t nPiece)
{
    CLspMessageReader reader;
    std::vector<std::string> read;
    std::string message;
    std::string why;
    for (size_t nAt = 0; nAt < bytes.size(); nAt += nPiece)
    {
        reader.Feed(std::string_view(bytes).substr(nAt, nPiece));
        for (;;)
        {
            const CLspMessageReader::EResult result = reader.Next(message, why);
            if (result == CLspMessageReader::EResult::NeedMore)
                break;
            read.push_back(result == CLspMessageReader::EResult::Message ? message
                                                                         : "refused: " + why);
        }
    }
    return read;
}
} // namespace

TEST(LspFraming, MessagesComeWholeHoweverTheBytesAreCut)
{
    const std::string bytes = LspFrame("{\"id\":1}") +
                              "content-length:  9\r\nContent-Type: application/vscode-jsonrpc; "
                              "charset=utf-8\r\n\r\n{\"id\":22}" +
                              LspFrame("{\"é\":\"\\r\\n\\r\\n\"}");
    const std::vector<std::string> expected = {"{\"id\":1}", "{\"id\":22}",
                                               "{\"é\":\"\\r\\n\\r\\n\"}"};
    for (const size_t nPiece : {size_t{1}, size_t{2}, size_t{7}, bytes.size()})
        EXPECT_EQ(ReadAll(bytes, nPiece), expected) << nPiece;
}

TEST(LspFraming, WhatCannotBeReadIsRefusedAndTheNextMessageIsRead)
{
    // A Content-Length of 2 GB: refused at once, its bytes passed over as
    // they come, never held, and the message after it read.
    CLspMessageReader reader;
    std::string message;
    std::string why;
    reader.Feed("Content-Length: 2147483648\r\n\r\n");
    ASSERT_EQ(reader.Next(message, why), CLspMessageReader::EResult::Refused);
    EXPECT_EQ(why, "a message of 2147483648 bytes; at most 67108864 are read");
    const std::string chunk(1 << 20, 'x');
    for (int i = 0; i < 2048; ++i)
    {
        reader.Feed(chunk);
        ASSERT_EQ(reader.Next(message, why), CLspMessageReader::EResult::NeedMore);
        ASSERT_EQ(reader.Held(), 0U);
    }
    reader.Feed(LspFrame("{}"));
    ASSERT_EQ(reader.Next(message, why), CLspMessageReader::EResult::Message);
    EXPECT_EQ(message, "{}");

    // A header without a length, a length that is no number, a header that
    // never ends: each refused, and the reader finds the next header.
    EXPECT_EQ(ReadAll("Content-Type: x\r\n\r\n{}" + LspFrame("[1]"), 3),
              (std::vector<std::string>{"refused: a header without Content-Length", "[1]"}));
    EXPECT_EQ(ReadAll("Content-Length: -5\r\n\r\n{}" + LspFrame("[2]"), 5),
              (std::vector<std::string>{"refused: a Content-Length that is not a number", "[2]"}));
    EXPECT_EQ(ReadAll(std::string(20000, 'h') + LspFrame("[3]"), 4096),
              (std::vector<std::string>{"refused: a header of more than 8192 bytes", "[3]"}));
    // A message cut short is waited for, never taken for a whole one.
    EXPECT_TRUE(ReadAll("Content-Length: 10\r\n\r\n{\"a\":", 1).empty());
}
