element Bem 1 1 2 0.1 1
element Truss 2 1 2 0.1 1
analysis Statik
output Nodes -file a.out -node 1 -dof 1 disp
