#pragma once

#include <functional>
#include <map>
#include <string>

// Runs one disabled test of this same test program in a child process, with
// extra environment variables, and gives back what it printed. The child can
// then narrow its own limits (file size, descriptors, user) without touching
// the rest of the suite. A modifier, where given, runs in the child before
// the program starts.
std::string RunDisabledTestInChild(const std::string& testName,
                                   const std::map<std::string, std::string>& environment,
                                   const std::function<void()>& childModifier = {});
