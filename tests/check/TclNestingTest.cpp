// The nesting measure that keeps deep scripts away from Tcl's parser: it
// must never count less than Tcl's parser really nests, on crafted and on
// random text, and it must find a deep command anywhere.
#include "check/TclNesting.h"

#include "check/TclLibrary.h"
#include "support/TclParserDepth.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tcl.h>

namespace
{
int TclDepth(const std::string& text)
{
    StartTclLibrary();
    const std::string padded = CTclNesting::Padded(text);
    return TclParserDepth::Script(padded.data(), padded.data() + padded.size(), false);
}

int OurDepth(const std::string& text, int nLimit = 100000)
{
    const std::string padded = CTclNesting::Padded(text);
    return CTclNesting::Depth(padded.data(), padded.data() + padded.size(), false, nLimit);
}
} // namespace

TEST(TclNestingTest, MeasuresBracketsIndicesAndQuotesAsTclNestsThem)
{
    EXPECT_EQ(OurDepth("set x 1"), 0);
    EXPECT_EQ(OurDepth("set x [expr {[a [b]]}]"), 1) << "a braced word is not parsed";
    EXPECT_EQ(OurDepth("set x [a [b [c]]]"), 3);
    EXPECT_EQ(OurDepth("set x \"[a \"[b]\"]\""), 2);
    EXPECT_EQ(OurDepth("set x $a($b($c))"), 2);
    EXPECT_EQ(OurDepth("set x $a([b $c(1)])"), 3);
    EXPECT_EQ(OurDepth("set x $(1)"), 1) << "an empty array name";
    EXPECT_EQ(OurDepth("set x ${a(}"), 0) << "a braced name has no index";
    EXPECT_EQ(OurDepth("# [a [b [c]]]\nset x 1"), 0) << "a comment";
    EXPECT_EQ(OurDepth("set x \\[a \\[b"), 0) << "escaped brackets";
    EXPECT_EQ(OurDepth("set x 1\nset y [a [b]]"), 0) << "only the first command counts";
    EXPECT_EQ(OurDepth("set x [a; [b [c]]]"), 3) << "a bracket holds a script";
    EXPECT_EQ(OurDepth("set x [a {]} [b]]"), 2) << "a brace's ] does not close";
    EXPECT_EQ(OurDepth("set x {*}[a [b]]"), 2);

    for (const std::string& text :
         {std::string("set x [a [b [c]]]"), std::string("set x $a($b($c))"),
          std::string("set x \"[a \"[b]\"]\""), std::string("set x [a {]} [b]]"),
          std::string("set x $a:(1) $a::b(2) $\xc3\xa9(3) $a\xc3\xa9([x])")})
        EXPECT_GE(OurDepth(text), TclDepth(text)) << text;
}

TEST(TclNestingTest, StopsCountingAtTheLimitAndSaysWhere)
{
    // Extra characters after a close-brace end Tcl's parse of the command,
    // and the measure's: text whose line breaks all lie in braces is not
    // read to its end for each command (a fuzz find of a time-out).
    std::string braces;
    for (int i = 0; i < 10000; ++i)
        braces += "x i {12\n  }3 ";
    const std::string bracesPadded = CTclNesting::Padded(braces);
    const char* pStop = nullptr;
    CTclNesting::Depth(bracesPadded.data(), bracesPadded.data() + bracesPadded.size(), false, 1000,
                       &pStop);
    EXPECT_EQ(pStop - bracesPadded.data(), 11) << "at the 3 after the close-brace";

    const std::string deep = "set x " + std::string(50000, '[') + "list" + std::string(50000, ']');
    const std::string padded = CTclNesting::Padded(deep);
    const char* pAt = nullptr;
    EXPECT_TRUE(CTclNesting::TooDeep(padded.data(), padded.data() + padded.size(), &pAt));
    EXPECT_EQ(pAt - padded.data(), 6 + CTclNesting::kMaxDepth + 1);

    std::string quotes = "set x ";
    for (int i = 0; i < 5000; ++i)
        quotes += "\"[";
    EXPECT_GT(OurDepth(quotes, 1000), 1000);
    std::string indices = "set x ";
    for (int i = 0; i < 5000; ++i)
        indices += "$a(";
    EXPECT_GT(OurDepth(indices, 1000), 1000);
    EXPECT_EQ(OurDepth("set x {" + std::string(50000, '[') + "}", 1000), 0)
        << "brackets in braces are text";
}

// Random short scripts of the characters that matter: ours never counts
// less than Tcl's parser nests.
TEST(TclNestingTest, NeverCountsLessThanTclOnRandomText)
{
    const std::string alphabet[] = {"[",   "]",   "{",  "}",   "\"",       "$",
                                    "(",   ")",   "\\", " ",   "\n",       ";",
                                    "#",   "a",   ":",  "::",  "\xc3\xa9", "\xf0\x9f\x98\x80",
                                    "{*}", "$a(", "${", "\\\n"};
    std::mt19937 random(27);
    std::uniform_int_distribution<size_t> pick(0, std::size(alphabet) - 1);
    std::uniform_int_distribution<int> length(1, 40);
    for (int n = 0; n < 20000; ++n)
    {
        std::string text;
        for (int i = length(random); i > 0; --i)
            text += alphabet[pick(random)];
        ASSERT_GE(OurDepth(text), TclDepth(text)) << text;
    }
}
