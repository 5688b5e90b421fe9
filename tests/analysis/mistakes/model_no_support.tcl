# expect: model/no-support 7
# No node is fixed: the structure is free to move.
model -dims 2 -dofs 2
node 1 0 0
node 2 3 0
material Elastic 1 200000.0
element Truss 1 1 2 0.01 1
