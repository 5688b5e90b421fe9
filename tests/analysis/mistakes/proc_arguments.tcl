# expect: proc/arguments 5
proc area {b h} {
    return [expr {$b * $h}]
}
puts [area 2]
puts [area 2 3]
