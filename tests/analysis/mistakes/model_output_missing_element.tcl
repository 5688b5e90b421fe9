# expect: model/undefined-tag 9
# An output of an element that does not exist.
model -dims 2 -dofs 2
node 1 0 0
node 2 3 0
support 1 1 1
material Elastic 1 200000.0
element Truss 1 1 2 0.01 1
output Element -file forces.out -ele 1 7 forces
