#pragma once

// The Tcl library starts once per process (Tcl_FindExecutable), before its
// first parse or interpreter; interpreters are then made per thread.
void StartTclLibrary();
