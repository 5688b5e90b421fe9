# Sourced by example.tcl: the brace's material and the members' transformation.
material Elastic 1 30000000.0
transform Linear 1
