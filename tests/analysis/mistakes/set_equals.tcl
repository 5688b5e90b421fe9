# expect: set/equals 3
node 1 0 0
set E = 3.0
puts $E
