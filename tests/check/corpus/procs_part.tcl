proc addStory {n} {
    node $n 0.0 0.0
}
source $dir/ignored.tcl
source more_part.tcl
