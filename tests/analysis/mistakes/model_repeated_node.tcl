# expect: model/repeated-node 9
# An element whose two ends are the same node.
model -dims 2 -dofs 3
node 1 0 0
node 2 0 3
support 1 1 1 1
transform Linear 1
element Beam 1 1 2 0.09 30000000.0 0.000675 1
element Beam 3 2 2 0.09 30000000.0 0.000675 1
