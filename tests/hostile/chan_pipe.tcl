# A pipe read that waits for ever, without using the processor.
node 1 0 0
lassign [chan pipe] r w
chan puts $w [string repeat x 1000000]
gets $r
