set coords {0.0 0.0}
node 1 {*}$coords
node {*}$all
element Truss {*}$args
support {*}[list 1 1 1 1]
