#pragma once

#include <string>

// One slot of a help file's cache: a record that has been shown.
class CHelpCacheEntry
{
public:
    virtual ~CHelpCacheEntry() = default;

    std::string m_keyword;
    std::string m_parent;
    std::string m_text;
};
