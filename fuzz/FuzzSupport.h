#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A scratch folder for the whole run, with a trailing separator.
const std::string& ScratchFolder();
// Writes the bytes to a file of the scratch folder and returns its path.
std::string WriteScratchFile(const std::string& name, std::string_view bytes);
// Ends the run with a message when a property does not hold: libFuzzer
// keeps the input that broke it.
void Require(bool bHolds, const char* what);

inline std::string_view BytesOf(const uint8_t* pData, size_t nSize)
{
    return {reinterpret_cast<const char*>(pData), nSize};
}

#include "text/MessageSink.h"

// Keeps what the parts under test report, installed as the default sink.
class CFuzzMessages : public CMessageSink
{
public:
    CFuzzMessages() { SetDefaultMessageSink(this); }
    void ShowMessage(const std::string& text) override { m_nMessages += text.empty() ? 0 : 1; }
    long m_nMessages = 0;
};
