# expect: command/unknown 3
node 1 0 0
nodee 2 1 0
