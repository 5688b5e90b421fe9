// What an editor asks of the engine while a script is typed, on texts where
// a quick reading could go wrong: the part of the text a command lies in,
// whole names, the words typed so far, the usage signature of a command,
// and completion without a library or an analysis.
#include "analysis/Analysis.h"
#include "analysis/CommandSignatures.h"
#include "analysis/ScriptCompletion.h"
#include "analysis/ScriptText.h"
#include "check/CommandKnowledge.h"
#include "helplib/CommandLibrary.h"

#include <gmock/gmock.h>

namespace
{
const CCommandLibrary& Library()
{
    static const CCommandLibrary* s_pLibrary = []
    {
        auto* pLibrary = new CCommandLibrary;
        pLibrary->Load(CORVALE_SOURCE_DIR "/share/help/");
        return pLibrary;
    }();
    return *s_pLibrary;
}

std::string_view Window(std::string_view text, std::string_view at)
{
    const auto [nFrom, nTo] = ScriptText::CommandWindow(text, text.find(at));
    return text.substr(nFrom, nTo - nFrom);
}

std::vector<std::string> Labels(const CScriptCompletion::CResult& result)
{
    std::vector<std::string> labels;
    for (const CScriptCompletion::CItem& item : result.items)
        labels.push_back(item.label);
    return labels;
}
} // namespace

// The window starts at the nearest line before that begins a command at the
// first column, and ends before the next: an indented body, a line a
// backslash carries on, CR LF breaks and a closing brace do not start one.
TEST(EditorRequestsTest, ACommandsWindowHoldsItsWholeCommandAndNoMore)
{
    const std::string text = "set a 1\r\n"
                             "proc p {} {\r\n"
                             "    node 1 \\\r\n"
                             "0 0\r\n"
                             "}\r\n"
                             "set b 2\r\n";
    EXPECT_EQ(Window(text, "node"), "proc p {} {\r\n    node 1 \\\r\n0 0\r\n}\r\n");
    // The line a backslash carries on into is not a start of its own.
    EXPECT_EQ(Window(text, "0 0"), Window(text, "node"));
    EXPECT_EQ(Window(text, "set b"), "set b 2\r\n");
    EXPECT_EQ(Window(text, "set a"), "set a 1\r\n");
    // An escaped backslash at a line's end does not carry it on.
    const std::string escaped = "puts \\\\\nnode 1 0 0\n";
    EXPECT_EQ(Window(escaped, "node"), "node 1 0 0\n");
    EXPECT_EQ(Window("", ""), "");
}

TEST(EditorRequestsTest, NamesAreFoundWholeQualifiedOrAsVariables)
{
    const std::string text =
        "set bay 1; set bays 2; puts $bay ${bay} $::bay $a::bay ${bay}x bay:\n";
    std::vector<std::string> found;
    for (const auto& [nFrom, nTo] : ScriptText::Occurrences(text, "bay", true))
        found.push_back(text.substr(nFrom - 1, nTo - nFrom + 2));
    // $a::bay is another namespace's; "bay:" is not the name either.
    EXPECT_THAT(found, ::testing::ElementsAre("$bay ", "{bay}", ":bay ", "{bay}"));
    EXPECT_EQ(ScriptText::Occurrences(text, "bay", false).size(), 5U); // and the set's
    EXPECT_TRUE(ScriptText::Occurrences(text, "", false).empty());

    std::string open;
    EXPECT_THAT(ScriptText::WordsTyped("x; element Beam 1", 17, open),
                ::testing::ElementsAre("element", "Beam"));
    EXPECT_EQ(open, "1");
    EXPECT_THAT(ScriptText::WordsTyped("puts [node ", 11, open), ::testing::ElementsAre("node"));
    EXPECT_EQ(open, "");
}

// The word typed after a command's own words is the active parameter, in
// each form; a sub-command the library has under the command is one of the
// command's own words.
TEST(EditorRequestsTest, TheSignatureHighlightsTheParameterBeingTyped)
{
    CCommandKnowledge knowledge;
    knowledge.Build(Library());
    const CCommandSignatures beam = CCommandSignatures::Of(knowledge, "element", "Beam", 4);
    ASSERT_EQ(beam.forms.size(), 2U);
    EXPECT_EQ(beam.nActive, 2U);
    const auto& [nFrom, nTo] = beam.forms[0].parameters[beam.nActive];
    EXPECT_EQ(beam.forms[0].line.substr(nFrom, nTo - nFrom), "<jNode>");
    // A command without sub-commands: its second word is its first parameter.
    const CCommandSignatures load = CCommandSignatures::Of(knowledge, "load", "5", 2);
    ASSERT_FALSE(load.forms.empty());
    EXPECT_EQ(load.nActive, 1U);
    EXPECT_TRUE(CCommandSignatures::Of(knowledge, "nosuch", "", 1).forms.empty());
}

// Without a library or an analysis, completion offers what it still knows,
// and nothing inside a word that is no name.
TEST(EditorRequestsTest, CompletionGoesOnWithWhateverIsKnown)
{
    CCommandKnowledge knowledge;
    knowledge.Build(Library());
    const CScriptCompletion nothing(nullptr, nullptr);
    EXPECT_TRUE(nothing.At("nod", nullptr, 3).items.empty());
    EXPECT_TRUE(nothing.At("puts $b", nullptr, 7).bVariable);

    const CScriptCompletion library(&Library(), &knowledge);
    const CScriptCompletion::CResult command = library.At("    nod", nullptr, 7);
    EXPECT_THAT(Labels(command), ::testing::Contains("node"));
    EXPECT_EQ(command.nWordStart, 4U);
    EXPECT_EQ(command.prefix, "nod");
    // Flags and choices come from the forms without a dry run; tags need one.
    EXPECT_THAT(Labels(library.At("rigidLink ", nullptr, 10)),
                ::testing::IsSupersetOf({"-beam", "-bar"}));
    EXPECT_THAT(Labels(library.At("model -dims 2 -", nullptr, 15)), ::testing::Contains("-dofs"));
    EXPECT_TRUE(library.At("load ", nullptr, 5).items.empty());
    EXPECT_TRUE(library.At("puts \"nod", nullptr, 9).items.empty());
}
