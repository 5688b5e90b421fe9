proc buildBay {n} {
    node [expr {$n + 10}] 6.0 0.0
}
