# expect: command/unknown 3
node 1 0 0
if {[nodeDisps 1 1] > 0.1} {
    puts moved
}
