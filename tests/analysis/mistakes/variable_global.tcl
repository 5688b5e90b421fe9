# expect: variable/global-without-declaration 4
set H 3.5
proc storyTop {n} {
    return [expr {$n * $H}]
}
puts [storyTop 2]
