# expect: set/dollar-name 3
set name width
set $name 5
puts $width
