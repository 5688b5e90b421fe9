// The configuration reader on arbitrary file bytes.
#include "FuzzSupport.h"
#include "config/Configuration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    static CFuzzMessages s_messages;
    const std::string path = WriteScratchFile("corvale.conf", BytesOf(pData, nSize));
    CConfiguration configuration;
    configuration.ReadConfiguration(path);
    // Every value is a piece of one line of the file, or the sentinel.
    for (const std::string* pValue :
         {&configuration.exe, &configuration.bin, &configuration.editor, &configuration.help})
        Require(*pValue == CConfiguration::kNotFound || pValue->size() <= nSize,
                "a value comes from the file");
    return 0;
}
