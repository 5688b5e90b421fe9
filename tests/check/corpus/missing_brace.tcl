model -dims 2 -dofs 3
proc addStory {n} {
    node $n 0.0 [expr {$n * 3.5}]
    if {$n > 1} {
        puts "story $n"

