# A list nested far deeper than any stack, used as a word and left in a variable.
set l {}
for {set i 0} {$i < 1000000} {incr i} {set l [list $l]}
node 1 $l 0
