# expect: expr/assignment 3
set a 1
if {$a = 1} {
    puts one
}
