// The nesting measure against Tcl's own parser on arbitrary bytes: it never
// counts less than Tcl nests. Inputs stay small enough for Tcl to parse them.
#include "FuzzSupport.h"
#include "check/TclLibrary.h"
#include "check/TclNesting.h"
#include "support/TclParserDepth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize > 4096)
        return 0;
    StartTclLibrary();
    const std::string text = CTclNesting::Padded(BytesOf(pData, nSize));
    const char* pEnd = text.data() + text.size();
    const int nOurs = CTclNesting::Depth(text.data(), pEnd, false, 100000);
    Require(nOurs >= TclParserDepth::Script(text.data(), pEnd, false),
            "the measure never counts less than Tcl's parser nests");
    return 0;
}
