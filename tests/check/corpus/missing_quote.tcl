puts "a roof
node 1 0.0 0.0
