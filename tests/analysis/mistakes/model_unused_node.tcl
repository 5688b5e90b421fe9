# expect: model/unused-node 6
# A node that nothing uses.
model -dims 2 -dofs 2
node 1 0 0
node 2 3 0
node 3 6 0
support 1 1 1
material Elastic 1 200000.0
element Truss 1 1 2 0.01 1
