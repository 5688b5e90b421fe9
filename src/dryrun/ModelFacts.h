#pragma once

#include "DryRunReport.h"
#include "analysis/Finding.h"

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

class CCommandKnowledge;

// What a dry run's calls build, read by the library's usage lines:
// - a call whose form begins with <tag> (or <type> <tag>) defines a tag of
//   its kind, the record's top-level command: "node 5", "element Beam 7",
//   "material Elastic 1";
// - a placeholder whose name is a kind, or a kind with a prefix or a suffix,
//   in any case (<material>, <iNode>, <nodes...>, <element1>, <seriesTag>),
//   refers to a tag of that kind; the longest kind wins;
// - <x>, <y> and <z> of a definition are a node's coordinates;
// - a placeholder whose name begins with "fix" (<fix1> ... <fixndf>) is a
//   fixity word: a call with one that is not 0 fixes a node;
// - a placeholder F and a number, or Fndf (<F1> ... <Fndf>), is a component
//   of a load on the node the call names, one per degree of freedom.
// Nothing here is written for one command: another library with the same
// kind of usage lines gets the same.
class CModelFacts
{
public:
    enum class ERole : unsigned char
    {
        None,
        Tag,     // the tag a definition defines
        NodeTag, // a reference to a node
        Coordinate,
        Reference, // a reference to a tag of another kind
        Fixity,    // a support's fixity word
        Force,     // a component of a nodal load
    };

    // A large model has tens of thousands of each, so they hold no string
    // or vector of their own: a tag is read from the call that defines it,
    // and the nodes of all elements stand in one array.
    struct CNode
    {
        double xyz[3] = {0, 0, 0};
        uint32_t nCall = 0;
        uint8_t nCoordinates = 0;
    };

    struct CElement
    {
        uint32_t nCall = 0;
        uint32_t nFirstNode = 0; // into NodesOf's array
        uint32_t nNodes = 0;
    };

    // A node's support: which of its degrees of freedom are fixed.
    struct CSupport
    {
        uint32_t nNode = 0; // into Nodes()
        uint32_t nCall = 0;
        uint32_t fixed = 0; // bit i: the (i+1)th fixity word is not 0
        uint8_t nFixities = 0;
    };

    // A load on a node: its force along each axis the model has.
    struct CLoad
    {
        uint32_t nNode = 0; // into Nodes()
        uint32_t nCall = 0;
        double force[3] = {0, 0, 0};
    };

    // A rule of the model broken; the analysis makes it a finding.
    struct CProblem
    {
        std::string rule; // "model/undefined-tag"
        std::string message;
        CDryRunPlace place;
        CDryRunPlace related; // the first definition, where there is one
        std::string relatedMessage;
        long nCall = -1; // the call it is about
    };

    void Build(const CCommandKnowledge& knowledge, const CDryRunReport& report);

    const std::vector<CNode>& Nodes() const { return m_nodes; }
    const std::vector<CElement>& Elements() const { return m_elements; }
    const std::vector<CSupport>& Supports() const { return m_supports; }
    const std::vector<CLoad>& Loads() const { return m_loads; }
    // An element's nodes, into Nodes(), in the order its call names them.
    std::span<const uint32_t> NodesOf(const CElement& element) const
    {
        return {m_elementNodes.data() + element.nFirstNode, element.nNodes};
    }
    // The tag a call defines, as definitions compare it; empty for none.
    std::string Tag(const CDryRunCalls& calls, size_t nCall) const;
    const std::vector<CProblem>& Problems() const { return m_problems; }
    // 3 when a node has a z coordinate, 2 when one has y, else 1.
    int Dimensions() const { return m_nDimensions; }

    ERole RoleOf(size_t nCall, size_t nWord) const;
    // The kind a word of a call refers to ("material", "node"), or empty.
    std::string_view ReferenceKind(size_t nCall, size_t nWord) const;
    // How many words of the calls refer to a kind's tag.
    uint32_t ReferenceCount(const CDryRunCalls& calls, std::string_view kind,
                            std::string_view tag) const;
    // The call that defines a kind and tag first, or -1; calls are those
    // the facts were built from.
    long DefinitionOf(const CDryRunCalls& calls, std::string_view kind, std::string_view tag) const;
    // The word of a call that holds the tag it defines, or -1.
    long TagWord(size_t nCall) const;
    // The kind a placeholder's name refers to ("material" for <matTag>), or empty.
    std::string_view KindOfPlaceholder(std::string_view name) const;
    // The same among kinds given: the index of the kind, or -1.
    static long KindOfPlaceholder(std::string_view name, const std::vector<std::string>& kinds);
    // The kinds of tag the library defines.
    const std::vector<std::string>& Kinds() const { return m_kinds; }
    // The calls that define a kind's tags, each tag's first, in call order.
    std::vector<size_t> DefinitionsOf(const CDryRunCalls& calls, std::string_view kind) const;
    // The words that refer to a kind's tag, as (call, word), in call order.
    std::vector<std::pair<size_t, size_t>>
    ReferencesTo(const CDryRunCalls& calls, std::string_view kind, std::string_view tag) const;
    // The node or element a call defines, or -1.
    long NodeOfCall(size_t nCall) const;
    long ElementOfCall(size_t nCall) const;
    // The calls made on a line of a file, in order; calls are those the
    // facts were built from.
    std::vector<size_t> CallsOn(const CDryRunCalls& calls, int nFile, long nLine) const;

    // A tag as definitions and references compare it: an integer without
    // its sign of plus or its leading zeros, else the word.
    static std::string Normal(std::string_view word);

private:
    // The roles of each call's words, all calls in one run: call n's are
    // from m_roleStarts[n] to m_roleStarts[n + 1], none for a call whose
    // words play no part. A code: one of kNone..kForce, or kReference + k
    // for a reference to m_kinds[k].
    static constexpr uint8_t kNone = 0, kTag = 1, kCoordinate = 2, kFixity = 3, kForce = 4,
                             kReference = 5;
    std::vector<uint8_t> m_roles;
    // The kinds of tag the library defines, and the node's among them.
    std::vector<std::string> m_kinds;
    long m_nNodeKind = -1;
    // The index into m_definitions of a kind and tag's first definition, or -1.
    long DefinitionIndex(std::string_view kind, const std::string& normalTag) const;
    // The same for a kind by its index into m_kinds.
    long DefinitionIndex(long nKind, std::string_view kind, const std::string& normalTag) const;
    // Most models number their tags 1, 2, 3...: per kind, the index into
    // m_definitions of each whole-number tag up to a few times the kind's
    // count, or -1, read straight from a list. Other tags go by the hash.
    std::vector<std::vector<int32_t>> m_smallTags;
    struct CSmallTag
    {
        uint32_t nCall;
        uint32_t nKind;
        uint32_t nTag;
    };
    void IndexSmallTags(size_t nCalls, const std::vector<CSmallTag>& smallTags);
    long KindIndex(std::string_view kind) const;
    // How many words refer to each first definition.
    std::vector<uint32_t> m_referenceCounts;
    // An open-addressed table over m_definitions by their hash: each slot
    // holds an index + 1, or 0; a power of two long. Two keys share a hash
    // of 64 bits once in 10^9 models of 300,000 definitions, so a hash that
    // matches is the key, and a lookup touches no call.
    std::vector<uint32_t> m_definitionSlots;
    std::vector<uint32_t> m_roleStarts;
    // The first definitions, as (hash of kind and tag, call), in order.
    std::vector<std::pair<uint64_t, uint32_t>> m_definitions;
    static uint64_t KeyHash(std::string_view kind, std::string_view normalTag);
    bool SameDefinition(const CDryRunCalls& calls, size_t nCall, size_t nOther) const;
    void SortByLine(const CDryRunCalls& calls);
    // Both in the order of their calls.
    std::vector<CNode> m_nodes;
    std::vector<CElement> m_elements;
    std::vector<uint32_t> m_elementNodes;
    std::vector<CSupport> m_supports;
    std::vector<CLoad> m_loads;
    // The calls with a place, in order of file, line and call.
    std::vector<uint32_t> m_callsByLine;
    std::vector<CProblem> m_problems;
    int m_nDimensions = 1;
};
