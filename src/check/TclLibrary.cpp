#include "TclLibrary.h"

#include <mutex>
#include <tcl.h>

void StartTclLibrary()
{
    static std::once_flag s_once;
    std::call_once(s_once, [] { Tcl_FindExecutable(nullptr); });
}
