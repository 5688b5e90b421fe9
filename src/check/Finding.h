#pragma once

#include <string>

// What the script check finds: how bad it is, where it lies in the text
// (byte positions, [nStart, nEnd)), and a message that names the fix.
enum class ESeverity
{
    Error,
    Warning,
};

struct CFinding
{
    ESeverity severity = ESeverity::Error;
    long nStart = 0;
    long nEnd = 0;
    std::string message;

    friend bool operator==(const CFinding&, const CFinding&) = default;
};
