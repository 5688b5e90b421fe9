#include "ProcSignature.h"

#include <tcl.h>

CProcSignature CProcSignature::Of(std::string_view parameters)
{
    CProcSignature signature;
    const std::string list(parameters);
    int nCount = 0;
    const char** ppItems = nullptr;
    if (Tcl_SplitList(nullptr, list.c_str(), &nCount, &ppItems) != TCL_OK)
        return CProcSignature();
    bool bKnown = true;
    for (int i = 0; i < nCount && bKnown; ++i)
    {
        int nParts = 0;
        const char** ppParts = nullptr;
        if (Tcl_SplitList(nullptr, ppItems[i], &nParts, &ppParts) != TCL_OK || nParts < 1 ||
            nParts > 2)
        {
            bKnown = false;
            if (ppParts != nullptr)
                Tcl_Free(reinterpret_cast<char*>(ppParts));
            break;
        }
        const std::string parameter = ppParts[0];
        if (i == nCount - 1 && parameter == "args" && nParts == 1)
        {
            signature.bRest = true;
            signature.usage += " ?arg ...?";
        }
        else if (nParts == 2)
        {
            ++signature.nOptional;
            signature.usage += " ?" + parameter + "?";
        }
        else
        {
            // A parameter without a default after one with: Tcl takes it as required.
            ++signature.nRequired;
            signature.usage += " " + parameter;
        }
        Tcl_Free(reinterpret_cast<char*>(ppParts));
    }
    Tcl_Free(reinterpret_cast<char*>(ppItems));
    if (!bKnown)
        return CProcSignature();
    signature.bKnown = true;
    return signature;
}
