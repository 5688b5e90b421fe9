# The sandbox's own questions redefined by the script.
proc info {args} {return 99}
rename ::tcl::info::frame {}
node 1 0 0
set a 1
proc array {args} {return {}}
array set b {x 1}
