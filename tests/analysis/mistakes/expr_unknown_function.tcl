# expect: expr/unknown-function 3
set a 2.0
set b [expr {sqr($a)}]
puts $b
