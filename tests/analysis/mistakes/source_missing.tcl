# expect: source/missing 2
source not_there.tcl
