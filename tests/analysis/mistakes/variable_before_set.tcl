# expect: variable/unset 2
node 2 $span 0
set span 6.0
node 3 $span 0
