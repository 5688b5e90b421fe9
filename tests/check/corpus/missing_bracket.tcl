set h [expr {2 * 3.5}
node 1 0.0 $h
