// The answer's lines: what the writer writes, the reader reads back, and
// what is garbled or cut is passed over.
#include "dryrun/DryRunProtocol.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace
{
std::string Written(const std::function<void(DryRunProtocol::CWriter&)>& write)
{
    char* pBuffer = nullptr;
    size_t nSize = 0;
    std::FILE* pOut = open_memstream(&pBuffer, &nSize);
    DryRunProtocol::CWriter writer(pOut);
    write(writer);
    std::fclose(pOut);
    std::string text(pBuffer, nSize);
    std::free(pBuffer);
    return text;
}
} // namespace

TEST(DryRunProtocolTest, WhatIsWrittenIsReadBackByteForByte)
{
    // UTF-8, and bytes that are not: a Latin-1 script's, a lone continuation.
    const std::string odd = std::string("tab\there \"quoted\" back\\slash\nnew line \x01 ") +
                            "\xC3\xA9t\xC3\xA9 caf\xE9 \x80\xFF";
    const std::string text = Written(
        [&](DryRunProtocol::CWriter& writer)
        {
            writer.Version();
            writer.File(0, "/work/frame.tcl");
            writer.File(1, "/work/odd \"name\" \xE9.tcl");
            const std::string_view words[] = {"node", "1", odd};
            writer.Call(CDryRunCall::EKind::Library, 3, words, {1, 7});
            const std::string_view unknown[] = {"frob"};
            writer.Call(CDryRunCall::EKind::Unknown, 1, unknown, {0, 2});
            const std::string_view refused[] = {"exec", "touch", "x"};
            writer.Call(CDryRunCall::EKind::Refused, 3, refused, {0, 3});
            writer.Puts("printed\n");
            writer.Error("can't read \"x\": no such variable", {0, 9});
            writer.Error("divide by zero", {1, 2});
            writer.Limit("time", "too long", {0, 4}, true);
            writer.Variable("bayWidth", "6.0", false);
            writer.Variable("long", "abc", true);
            writer.End(12);
        });
    CDryRunReport report;
    ASSERT_TRUE(DryRunProtocol::Read(text, report));
    EXPECT_EQ(report.files,
              (std::vector<std::string>{"/work/frame.tcl", "/work/odd \"name\" \xE9.tcl"}));
    ASSERT_EQ(report.calls.size(), 3U);
    EXPECT_EQ(report.calls[0].words.Strings(), (std::vector<std::string>{"node", "1", odd}));
    EXPECT_EQ(report.calls[0].place.nFile, 1);
    EXPECT_EQ(report.calls[0].place.nLine, 7);
    EXPECT_EQ(report.calls[1].kind, CDryRunCall::EKind::Unknown);
    EXPECT_EQ(report.calls[2].kind, CDryRunCall::EKind::Refused);
    EXPECT_EQ(report.output, "printed\n");
    ASSERT_EQ(report.errors.size(), 2U);
    EXPECT_EQ(report.errors[0].message, "can't read \"x\": no such variable");
    EXPECT_EQ(report.errors[0].place.nLine, 9);
    EXPECT_EQ(report.errors[1].place.nFile, 1);
    EXPECT_EQ(report.limit, "time");
    EXPECT_EQ(report.limitMessage, "too long");
    EXPECT_TRUE(report.bLimitUnsure);
    ASSERT_EQ(report.variables.size(), 2U);
    EXPECT_TRUE(report.variables[1].bCut);
    EXPECT_TRUE(report.bEnded);
    EXPECT_EQ(report.nMs, 12);
}

TEST(DryRunProtocolTest, GarbledCutOrForeignAnswersGiveWhatCameWhole)
{
    CDryRunReport report;
    EXPECT_FALSE(DryRunProtocol::Read("", report));
    EXPECT_FALSE(DryRunProtocol::Read("{\"dryrun\":2}\n{\"call\":[\"node\"]}\n", report));
    EXPECT_FALSE(DryRunProtocol::Read("hello\n{\"dryrun\":1}\n", report));
    const std::string answer = "{\"dryrun\":1}\n"
                               "{\"file\":0,\"path\":\"/s.tcl\"}\n"
                               "{\"file\":5,\"path\":\"/skipped.tcl\"}\n"
                               "{\"call\":[\"node\",\"1\"],\"f\":0,\"l\":1}\n"
                               "{\"call\":[\"node\",\"2\"],\"f\":3,\"l\":2}\n"
                               "{\"call\":[\"node\",\"3\"],\"f\":0,\"l\":\n"
                               "{\"call\":[\"node\",\"4\" 5],\"f\":0,\"l\":4}\n"
                               "{\"call\":[],\"f\":0,\"l\":4}\n"
                               "{\"call\":\"node\",\"f\":0,\"l\":4}\n"
                               "{\"puts\":\"\\u00\"}\n"
                               "{\"var\":\"x\"}\n"
                               "\x80\xFF{\"limit\":1}\n"
                               "{\"call\":[\"node\",\"5\"],\"f\":0,\"l\":5}";
    ASSERT_TRUE(DryRunProtocol::Read(answer, report));
    EXPECT_EQ(report.files, (std::vector<std::string>{"/s.tcl"}));
    ASSERT_EQ(report.calls.size(), 3U);
    EXPECT_EQ(report.calls[0].words[1], "1");
    // A place in a file never named is no place.
    EXPECT_EQ(report.calls[1].place.nFile, -1);
    EXPECT_EQ(report.calls[1].place.nLine, 0);
    EXPECT_EQ(report.calls[2].words[1], "5");
    EXPECT_TRUE(report.variables.empty());
    EXPECT_TRUE(report.limit.empty());
    EXPECT_FALSE(report.bEnded);
}

// The answer is read as it comes from the pipe, in pieces cut anywhere: the
// report is the same as from the whole answer, empty words and all.
TEST(DryRunProtocolTest, AnAnswerFedInPiecesReadsAsAWhole)
{
    const std::string text = Written(
        [&](DryRunProtocol::CWriter& writer)
        {
            writer.Version();
            writer.File(0, "/work/frame.tcl");
            for (long n = 1; n <= 200; ++n)
            {
                const std::string tag = std::to_string(n);
                const std::string_view words[] = {"node", tag, "", "0.5"};
                writer.Call(CDryRunCall::EKind::Library, n % 2 == 0 ? 4 : 2, words, {0, n});
            }
            writer.Variable("span", "12.0", false);
            writer.End(3);
        });
    CDryRunReport whole;
    ASSERT_TRUE(DryRunProtocol::Read(text, whole));
    for (const size_t nPiece : {size_t{1}, size_t{7}, size_t{4096}})
    {
        CDryRunReport report;
        DryRunProtocol::CReader reader(report);
        for (size_t n = 0; n < text.size(); n += nPiece)
            reader.Feed(std::string_view(text).substr(n, nPiece));
        ASSERT_TRUE(reader.Finish()) << nPiece;
        ASSERT_EQ(report.calls.size(), 200U);
        for (size_t n = 0; n < 200; ++n)
        {
            EXPECT_EQ(report.calls[n].words.Strings(), whole.calls[n].words.Strings());
            EXPECT_EQ(report.calls[n].place.nLine, static_cast<long>(n + 1));
        }
        EXPECT_EQ(report.calls[199].words.Strings(),
                  (std::vector<std::string>{"node", "200", "", "0.5"}));
        EXPECT_EQ(report.variables.size(), 1U);
        EXPECT_TRUE(report.bEnded);
    }
    // Nothing at all is no answer, and is told from an unreadable one.
    CDryRunReport none;
    DryRunProtocol::CReader silent(none);
    EXPECT_FALSE(silent.Finish());
    EXPECT_TRUE(silent.IsEmpty());
}
