# Demo only: every top-level command of the bundled help library becomes a
# procedure that prints its arguments; a few return what a script may test.
set helpDir [file join [file dirname [info script]] .. help]
set listFile [open [file join $helpDir list.txt]]
set names [read $listFile]
close $listFile
foreach name $names {
    set file [open [file join $helpDir $name]]
    set atStart 1
    foreach line [split [read $file] "\n"] {
        if {$atStart && [regexp {^\s*([^:\s]+):command\s*$} $line -> command]} {
            if {[info commands ::$command] eq "" || $command in {source}} {
                proc ::$command {args} "puts \"vorsa-demo: $command \$args\""
            }
        }
        if {[string index $line 0] eq "#"} { set atStart 1 } elseif {[string trim $line] ne ""} { set atStart 0 }
    }
    close $file
}
proc ::run {args} { puts "vorsa-demo: run $args"; return 0 }
proc ::nodeDisp {args} { return 0.0 }
proc ::eigen {n} { set values {}; for {set i 1} {$i <= $n} {incr i} { lappend values [expr {$i * 10.0}] }; return $values }

set script [lindex $argv 0]
if {$script eq ""} { puts "vorsa-demo: no script given"; exit 1 }
cd [file dirname $script]
puts "vorsa-demo: running $script"
# As the analysis program does: an error in the script ends the run with
# Tcl's own trace on standard error and a failed exit status.
if {[catch {source [file tail $script]}]} {
    puts stderr $::errorInfo
    exit 1
}
