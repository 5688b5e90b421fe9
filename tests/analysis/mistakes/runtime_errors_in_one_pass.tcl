# expect: run/error 9
# expect: run/error 12
# expect: model/undefined-tag 14
# Three mistakes only a run finds, each at its line in one pass; the
# analysis's own results (run, nodeDisp) raise nothing.
set spans {6 6 0}
node 1 0 0
node 2 6.0 0
set ratio [expr {[lindex $spans 0] / [lindex $spans 2]}]
set heights [list 3.5 3.5]
set third [lindex $heights 2]
node 3 0 [expr {$third + 1.0}]
node 4 0 3.5
element Truss 1 1 9 0.1 1
if {[run 1] != 0} {
    error "the analysis failed"
}
puts [expr {[nodeDisp 2 1] / [lindex $spans 1]}]
