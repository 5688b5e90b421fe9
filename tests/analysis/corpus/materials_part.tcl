# Sourced by example.tcl: the section of the columns.
material Concrete 2 -30000.0 -0.002 -20000.0 -0.0035
section Elastic 1 30000000.0 0.09 0.000675
