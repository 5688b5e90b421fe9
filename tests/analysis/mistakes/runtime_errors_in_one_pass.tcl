# expect: run/error 11
# expect: run/error 14
# expect: model/undefined-tag 17
# Three mistakes only a run finds, each at its line in one pass; the
# analysis's own results (run, nodeDisp) raise nothing.
set spans {6 6 0}
model -dims 2 -dofs 2
material Elastic 1 200000.0
node 1 0 0
node 2 6.0 0
set ratio [expr {[lindex $spans 0] / [lindex $spans 2]}]
set heights [list 3.5 3.5]
set third [lindex $heights 2]
node 3 0 [expr {$third + 1.0}]
support 1 1 1
element Truss 1 1 2 0.1 1
element Truss 2 2 9 0.1 1
if {[run 1] != 0} {
    error "the analysis failed"
}
puts [expr {[nodeDisp 2 1] / [lindex $spans 1]}]
