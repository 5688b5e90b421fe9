# expect: model/undefined-tag 7
# A beam on a transformation never defined.
model -dims 2 -dofs 3
node 1 0 0
node 2 0 3
support 1 1 1 1
element Beam 1 1 2 0.09 30000000.0 0.000675 7
