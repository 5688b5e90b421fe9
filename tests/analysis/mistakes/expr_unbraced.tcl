# expect: expr/unbraced 3
set a 2.0
set b [expr $a * 2]
puts $b
