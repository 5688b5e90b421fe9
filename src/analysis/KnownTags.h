#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CDryRunResult;

// The tags a dry run saw defined, by kind, kept small: what completion
// offers where a usage form wants a tag of a kind, after the dry run itself
// is let go (the window drops it on the next edit).
class CKnownTags
{
public:
    // Most tags kept of one kind: a list longer than this is not read.
    static constexpr size_t kMaxPerKind = 1000;

    static CKnownTags From(const CDryRunResult& run);

    // The kind a placeholder's name refers to (<material>, <iNode>), or empty.
    std::string_view KindOfPlaceholder(std::string_view name) const;
    // The tags of a kind, in the order they were defined; empty for none.
    const std::vector<std::string>& TagsOf(std::string_view kind) const;

private:
    std::vector<std::string> m_kinds;
    std::vector<std::vector<std::string>> m_tags; // by kind
};
