# expect: expr/bareword 3
set type Beam
if {$type == Beam} {
    puts beam
}
