#pragma once

#include <span>
#include <string_view>

// A named set of commands a project may load, so that the check knows them
// without their package: "tk" is Tk 8.6's commands, its tk_ procedures and
// everything in the tk:: and ttk:: namespaces.
struct CCommandSet
{
    std::string_view name;
    std::span<const std::string_view> commands;
    std::span<const std::string_view> prefixes; // any command that begins with one

    // The set of that name, or nullptr.
    static const CCommandSet* Find(std::string_view name);
    // The names of the sets there are, for a message.
    static std::string_view Names();
};
