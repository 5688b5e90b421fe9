# expect: trap/backslash-blank 4
node 1 0 0
node 2 1 0
element Truss 1 1 2 \ 
    0.1 1
