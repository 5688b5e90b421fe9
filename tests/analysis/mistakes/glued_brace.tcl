# expect: trap/glued-brace 3
set a 2
if{$a > 1} {
    puts big
}
