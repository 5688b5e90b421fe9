# expect: model/undefined-tag 11
# A load on a node that does not exist.
model -dims 2 -dofs 2
node 1 0 0
node 2 3 0
support 1 1 1
material Elastic 1 200000.0
element Truss 1 1 2 0.01 1
series Linear 1
loadcase 1 1 {
    load 9 10.0 0.0
}
