# expect: model/duplicate-tag 10
# Two elements share a tag.
model -dims 2 -dofs 2
node 1 0 0
node 2 3 0
node 3 3 3
support 1 1 1
material Elastic 1 200000.0
element Truss 1 1 2 0.01 1
element Truss 1 2 3 0.01 1
