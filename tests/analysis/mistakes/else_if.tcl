# expect: trap/else-if 5
set a 2
if {$a == 1} {
    puts one
} else if {$a == 2} {
    puts two
}
