#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

// Sets and maps of names that are asked with views of the text, without a
// string built for every look-up.
struct CNameHash
{
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
};

using CNameSet = std::unordered_set<std::string, CNameHash, std::equal_to<>>;
template <class TValue>
using CNameMap = std::unordered_map<std::string, TValue, CNameHash, std::equal_to<>>;
