# expect: trap/comment-without-semicolon 2
set L 6.0 # the span in metres
puts $L
