# expect: expr/bareword 3
set L 6.0
set half [expr {L / 2.0}]
puts $half
