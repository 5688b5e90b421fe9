// The configuration reader on arbitrary file bytes.
#include "FuzzSupport.h"
#include "config/Configuration.h"
#include "platform/ScriptedUserInteraction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    static CScriptedUserInteraction s_ui;
    const std::string path = WriteScratchFile("corvale.conf", BytesOf(pData, nSize));
    CConfiguration configuration;
    configuration.ReadConfiguration(path);
    // Every value is a piece of one line of the file, or the sentinel.
    for (const std::string* pValue :
         {&configuration.exe, &configuration.bin, &configuration.editor, &configuration.help})
        Require(*pValue == CConfiguration::kNotFound || pValue->size() <= nSize,
                "a value comes from the file");
    s_ui.m_messages.clear();
    return 0;
}
