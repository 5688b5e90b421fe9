# A variable whose value and a command whose name look like HTML: hovering
# either must show the text, and never read what src= names.
set v {<img src="/dev/zero">}
puts $v
<img src="/dev/zero">
node 1 0 0
