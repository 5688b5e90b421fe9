puts {a}b
puts "c"d
node 1 0.0 0.0
