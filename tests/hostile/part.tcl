node 2 0 0
