early 1
proc late {} {
    early 2
}
proc early {x} {
    puts $x
}
early 3
late
