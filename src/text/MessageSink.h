#pragma once

#include <string>

// Where the plain-C++ parts of the program (configuration, command library,
// run) report what a user must hear of: in the editor a message box, in a
// command-line program its error output, in a test a list.
class CMessageSink
{
public:
    virtual ~CMessageSink() = default;
    virtual void ShowMessage(const std::string& text) = 0;
};

// The sink installed last (the editor installs its message boxes), or one
// that writes to the standard error stream.
CMessageSink& DefaultMessageSink();
// Installs a sink (not owned); nullptr returns to the standard error stream.
void SetDefaultMessageSink(CMessageSink* pSink);
