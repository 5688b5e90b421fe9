# Calls of a million words each, and one error message of 50 MB.
node 1 0 0
set words [lrepeat 1000000 1]
for {set i 0} {$i < 6} {incr i} {node {*}$words}
error [string repeat e 50000000]
