# expect: model/node-dimensions 6
# A node of a 3D model written with two coordinates.
model -dims 3 -dofs 3
node 1 0 0 0
node 2 0 0 3
node 3 3 0
support 1 1 1 1
material Elastic 1 200000.0
element Truss 1 1 2 0.01 1
element Truss 2 2 3 0.01 1
