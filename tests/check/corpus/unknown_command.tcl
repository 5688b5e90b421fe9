model -dims 2 -dofs 3
nodee 1 0.0 0.0
frobnicate 7
$cmd 1 2
[list node] 2 0.0 0.0
node 3 [nodeDisp 1 1] [sett x]
