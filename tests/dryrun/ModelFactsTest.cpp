// What the library's usage lines make of recorded calls: definitions,
// references to nodes, coordinates, and what the hover says.
#include "DryRunTestSupport.h"
#include "dryrun/DryRunProtocol.h"
#include "helplib/CommandLibrary.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
// An answer as the helper writes it, with each call on its own line of file 0.
std::string Answer(const std::vector<std::vector<std::string>>& calls,
                   const std::vector<std::pair<std::string, std::string>>& variables = {})
{
    std::string answer = "{\"dryrun\":1}\n{\"file\":0,\"path\":\"/work/s.tcl\"}\n";
    long nLine = 0;
    for (const auto& words : calls)
    {
        ++nLine;
        answer += "{\"call\":[";
        for (size_t i = 0; i < words.size(); ++i)
            answer += (i > 0 ? "," : "") + DryRunProtocol::Quote(words[i]);
        answer += "],\"f\":0,\"l\":" + std::to_string(nLine) + "}\n";
    }
    for (const auto& [name, value] : variables)
        answer += "{\"var\":" + DryRunProtocol::Quote(name) +
                  ",\"value\":" + DryRunProtocol::Quote(value) + "}\n";
    return answer + "{\"end\":1,\"ms\":1}\n";
}
} // namespace

TEST(ModelFactsTest, ElementsOfThreeOrMoreNodesAreClosedAndEveryFormNamesItsNodes)
{
    CDryRunResult result;
    result.Read(Answer({{"material", "Elastic", "1", "200"},
                        {"model", "-dims", "3", "-dofs", "6"},
                        {"node", "1", "0", "0", "0"},
                        {"node", "2", "1", "0", "0"},
                        {"node", "3", "1", "1", "0"},
                        {"node", "4", "0", "1", "0"},
                        {"node", "5", "0", "0", "1"},
                        {"node", "6", "1", "0", "1"},
                        {"node", "7", "1", "1", "1"},
                        {"node", "8", "0", "1", "1"},
                        {"element", "Quad", "1", "1", "2", "3", "4", "0.2", "PlaneStress", "1"},
                        {"element", "Brick", "2", "1", "2", "3", "4", "5", "6", "7", "8", "1"},
                        {"element", "Spring", "3", "1", "2", "-mat", "1", "-dir", "1"},
                        {"support", "1", "1", "1", "1"},
                        {"tie", "5", "6", "1"}}),
                "", BundledKnowledge());
    const CModelFacts& facts = result.Facts();
    EXPECT_EQ(facts.Dimensions(), 3);
    ASSERT_EQ(facts.Nodes().size(), 8U);
    ASSERT_EQ(facts.Elements().size(), 3U);
    const auto nodesOf = [&](size_t nElement)
    {
        const auto nodes = facts.NodesOf(facts.Elements()[nElement]);
        return std::vector<uint32_t>(nodes.begin(), nodes.end());
    };
    EXPECT_EQ(nodesOf(0), (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(nodesOf(1).size(), 8U);
    EXPECT_EQ(nodesOf(2), (std::vector<uint32_t>{0, 1}));
    EXPECT_TRUE(facts.Problems().empty()) << facts.Problems()[0].message;
    // The roles of the words: the tag, the nodes, the coordinates.
    // The roles of the words: the tag, the nodes, the coordinates, the
    // material, the support's fixity.
    EXPECT_EQ(facts.RoleOf(2, 1), CModelFacts::ERole::Tag);
    EXPECT_EQ(facts.RoleOf(2, 3), CModelFacts::ERole::Coordinate);
    EXPECT_EQ(facts.RoleOf(10, 2), CModelFacts::ERole::Tag);
    EXPECT_EQ(facts.RoleOf(10, 4), CModelFacts::ERole::NodeTag);
    EXPECT_EQ(facts.RoleOf(10, 7), CModelFacts::ERole::None);
    EXPECT_EQ(facts.RoleOf(10, 9), CModelFacts::ERole::Reference);
    EXPECT_EQ(facts.ReferenceKind(10, 9), "material");
    EXPECT_EQ(facts.ReferenceKind(12, 6), "material");
    EXPECT_EQ(facts.RoleOf(13, 1), CModelFacts::ERole::NodeTag);
    EXPECT_EQ(facts.RoleOf(13, 2), CModelFacts::ERole::Fixity);
    EXPECT_EQ(facts.RoleOf(14, 2), CModelFacts::ERole::NodeTag);
    EXPECT_EQ(facts.ReferenceCount(result.Report().calls, "material", "1"), 3U);
}

// What the view draws beside nodes and elements: supports from their fixity
// words, loads from their components; and which call each problem is about.
TEST(ModelFactsTest, SupportsLoadsAndTheCallsOfProblems)
{
    CDryRunResult result;
    result.Read(Answer({{"model", "-dims", "3", "-dofs", "6"},
                        {"node", "1", "0", "0", "0"},
                        {"node", "2", "0", "0", "3"},
                        {"node", "3", "5", "0", "3"},
                        {"support", "1", "1", "1", "1", "0", "0", "0"},
                        {"support", "3", "0", "0", "1"},
                        {"material", "Elastic", "1", "200"},
                        {"element", "Truss", "1", "1", "2", "0.01", "1"},
                        {"element", "Truss", "2", "2", "2", "0.01", "9"},
                        {"load", "2", "10.0", "0", "-5.5", "1", "2", "3"},
                        {"load", "7", "1", "2", "3"}}),
                "", BundledKnowledge());
    const CModelFacts& facts = result.Facts();
    ASSERT_EQ(facts.Supports().size(), 2U);
    EXPECT_EQ(facts.Supports()[0].nNode, 0U);
    EXPECT_EQ(facts.Supports()[0].fixed, 0b000111U);
    EXPECT_EQ(facts.Supports()[0].nFixities, 6);
    EXPECT_EQ(facts.Supports()[1].nNode, 2U);
    EXPECT_EQ(facts.Supports()[1].fixed, 0b100U);
    // The load on a node that does not exist is the problem's, not drawn.
    ASSERT_EQ(facts.Loads().size(), 1U);
    EXPECT_EQ(facts.Loads()[0].nNode, 1U);
    EXPECT_EQ(facts.Loads()[0].force[0], 10.0);
    EXPECT_EQ(facts.Loads()[0].force[1], 0.0);
    EXPECT_EQ(facts.Loads()[0].force[2], -5.5);
    EXPECT_EQ(facts.RoleOf(9, 2), CModelFacts::ERole::Force);
    EXPECT_EQ(facts.RoleOf(9, 7), CModelFacts::ERole::Force);
    std::vector<std::pair<std::string, long>> problems;
    for (const CModelFacts::CProblem& problem : facts.Problems())
        problems.emplace_back(problem.rule, problem.nCall);
    EXPECT_EQ(problems, (std::vector<std::pair<std::string, long>>{{"model/repeated-node", 8},
                                                                   {"model/undefined-tag", 8},
                                                                   {"model/undefined-tag", 10}}));
}

// Calls that differ only in their numbers fit their forms alike, and are
// read alike, but only while no form has a number for a keyword: then a
// number decides which form a call fits.
TEST(ModelFactsTest, ANumberThatIsAKeywordDecidesTheFormACallFits)
{
    CTempDir dir;
    dir.Write("list.txt", "model.txt");
    dir.Write("model.txt", "node:command\nnode <tag> <x> <y>\n#\n"
                           "pin:command\npin <node> 1\npin <node> 2 <other> <node2>\n#\n");
    CCommandLibrary library;
    ASSERT_EQ(library.Load(dir.Prefix()), 1);
    CCommandKnowledge knowledge;
    knowledge.Build(library);
    EXPECT_FALSE(knowledge.NumbersAreValues());
    EXPECT_TRUE(BundledKnowledge().NumbersAreValues());
    CDryRunResult result;
    result.Read(Answer({{"node", "1", "0", "0"},
                        {"node", "2", "1", "0"},
                        {"pin", "1", "1"},
                        {"pin", "1", "2", "7", "2"},
                        {"pin", "2", "3", "7", "1"}}),
                "", knowledge);
    const CModelFacts& facts = result.Facts();
    EXPECT_EQ(facts.RoleOf(2, 1), CModelFacts::ERole::NodeTag);
    EXPECT_EQ(facts.RoleOf(3, 1), CModelFacts::ERole::NodeTag);
    EXPECT_EQ(facts.RoleOf(3, 3), CModelFacts::ERole::None);
    EXPECT_EQ(facts.RoleOf(3, 4), CModelFacts::ERole::NodeTag);
    // "3" is neither keyword: the call fits no form, and its words play no part.
    EXPECT_EQ(facts.RoleOf(4, 1), CModelFacts::ERole::None);
    EXPECT_EQ(facts.RoleOf(4, 4), CModelFacts::ERole::None);
    EXPECT_EQ(facts.ReferenceCount(result.Report().calls, "node", "2"), 1U);
}

TEST(ModelFactsTest, DuplicatesAndDanglingReferencesOfEachKind)
{
    CDryRunResult result;
    result.Read(Answer({{"node", "01", "0", "0"},
                        {"node", "2", "1", "0"},
                        {"element", "Truss", "1", "1", "3", "0.1", "1"},
                        {"node", "3", "2", "0"},
                        {"node", "1", "5", "5"},
                        {"material", "Elastic", "1", "200"},
                        {"material", "Elastic", "1", "300"},
                        {"support", "9", "1", "1"},
                        {"element", "Truss", "1", "1", "2", "0.1", "1"},
                        {"element", "Frob", "4", "1", "2"},
                        {"node", "+1", "6", "6"}}),
                "", BundledKnowledge());
    std::vector<std::string> messages;
    for (const CModelFacts::CProblem& problem : result.Facts().Problems())
        messages.push_back(std::to_string(problem.place.nLine) + ": " + problem.message);
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "3: element 1 uses node 3 before it is defined at line 4",
                            "3: element 1 uses material 1 before it is defined at line 6",
                            "5: node 1 defined again; first at line 1",
                            "7: material 1 defined again; first at line 6",
                            "8: support uses node 9, which is not defined",
                            "9: element 1 defined again; first at line 3",
                            "11: node 1 defined again; first at line 1",
                        }));
    // The first definition is the one drawn, known by its tag as compared.
    const CModelFacts& facts = result.Facts();
    const CDryRunCalls& calls = result.Report().calls;
    EXPECT_DOUBLE_EQ(facts.Nodes()[0].xyz[0], 0.0);
    EXPECT_EQ(facts.Nodes().size(), 3U);
    EXPECT_EQ(facts.Tag(calls, facts.Nodes()[0].nCall), "1");
    // Each drawn thing is found from its call, a later definition from none.
    EXPECT_EQ(facts.NodeOfCall(3), 2);
    EXPECT_EQ(facts.NodeOfCall(4), -1);
    EXPECT_EQ(facts.NodeOfCall(2), -1);
    ASSERT_EQ(facts.Elements().size(), 1U);
    EXPECT_EQ(facts.ElementOfCall(2), 0);
    EXPECT_EQ(facts.ElementOfCall(8), -1);
    EXPECT_EQ(facts.NodeOfCall(calls.size() + 5), -1);
    EXPECT_EQ(CModelFacts::Normal("007"), "7");
    EXPECT_EQ(CModelFacts::Normal("+3"), "3");
    EXPECT_EQ(CModelFacts::Normal("-0"), "0");
    EXPECT_EQ(CModelFacts::Normal("a1"), "a1");
}

TEST(ModelFactsTest, TheHoverShowsValuesAndWhereTagsAreDefined)
{
    const std::string text = "set w 6.0\n"
                             "node 1 0 0\n"
                             "node 2 $w 0\n"
                             "element Truss 1 1 2 0.1 1\n"
                             "element Truss 2 1 9 0.1 1\n"
                             "foreach i {1 2 3} {\n"
                             "    set last $i\n"
                             "}\n"
                             "set arr(a) 5\n"
                             "puts $arr(a)\n"
                             "node 3 [expr {2 * $w}] 0\n";
    std::string answer = "{\"dryrun\":1}\n{\"file\":0,\"path\":\"/work/s.tcl\"}\n"
                         "{\"call\":[\"node\",\"1\",\"0\",\"0\"],\"f\":0,\"l\":2}\n"
                         "{\"call\":[\"node\",\"2\",\"6.0\",\"0\"],\"f\":0,\"l\":3}\n"
                         "{\"call\":[\"element\",\"Truss\",\"1\",\"1\",\"2\",\"0.1\",\"1\"],\"f\":"
                         "0,\"l\":4}\n"
                         "{\"call\":[\"element\",\"Truss\",\"2\",\"1\",\"9\",\"0.1\",\"1\"],\"f\":"
                         "0,\"l\":5}\n"
                         "{\"call\":[\"node\",\"3\",\"12.0\",\"0\"],\"f\":0,\"l\":11}\n"
                         "{\"var\":\"w\",\"value\":\"6.0\"}\n"
                         "{\"var\":\"i\",\"value\":\"3\"}\n"
                         "{\"var\":\"last\",\"value\":\"3\"}\n"
                         "{\"var\":\"arr(a)\",\"value\":\"5\"}\n"
                         "{\"end\":1,\"ms\":1}\n";
    CDryRunResult result;
    result.Read(answer, text, BundledKnowledge());
    result.SetOutline(OutlineOf(text, ""));
    const auto at = [&](const std::string& what, size_t nSkip = 0)
    {
        size_t nPos = text.find(what);
        for (size_t i = 0; i < nSkip; ++i)
            nPos = text.find(what, nPos + 1);
        return result.TipAt(nPos + 1);
    };
    EXPECT_EQ(at("$w"), "w = 6.0");
    EXPECT_EQ(result.TipAt(text.find("w 6.0")), "w = 6.0");
    EXPECT_EQ(at("last $i"), "last = 3  (the last value: it is set in a loop)");
    EXPECT_EQ(at("$i"), "i = 3  (the last value: it is set in a loop)");
    EXPECT_EQ(at("$arr(a)"), "arr(a) = 5");
    // element Truss 1 1 2: its tag, then its nodes.
    const size_t nElement = text.find("element Truss 1");
    // Each tag says its kind, where it is defined and how many places refer to it.
    EXPECT_EQ(result.TipAt(nElement + 14), "element 1: defined here, nothing refers to it");
    EXPECT_EQ(result.TipAt(nElement + 16), "node 1: defined at line 2, referred to 2 times");
    EXPECT_EQ(result.TipAt(nElement + 18), "node 2: defined at line 3, referred to once");
    EXPECT_EQ(result.TipAt(nElement + 24), "material 1: not defined");
    const size_t nSecond = text.find("element Truss 2");
    EXPECT_EQ(result.TipAt(nSecond + 18), "node 9: not defined");
    // Words of no kind say nothing; a substituted word shows what it became.
    EXPECT_EQ(result.TipAt(nElement + 20), "");
    EXPECT_EQ(result.TipAt(text.find("[expr")), "= 12.0");
    std::vector<std::string> rules;
    for (const CModelFacts::CProblem& problem : result.Facts().Problems())
        rules.push_back(std::to_string(problem.place.nLine) + " " + problem.rule);
    EXPECT_EQ(rules, (std::vector<std::string>{"4 model/undefined-tag", "4 model/no-support",
                                               "5 model/undefined-tag", "5 model/undefined-tag",
                                               "11 model/unused-node"}));
}
