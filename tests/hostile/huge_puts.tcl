# puts of a string of 200 MB.
node 1 0 0
puts [string repeat x 200000000]
