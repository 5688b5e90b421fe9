# expect: model/zero-length 10
# Two nodes at one place, and an element between them.
model -dims 2 -dofs 3
node 1 0 0
node 2 0 3
node 3 0 3.0
support 1 1 1 1
transform Linear 1
element Beam 1 1 2 0.09 30000000.0 0.000675 1
element Beam 2 2 3 0.09 30000000.0 0.000675 1
