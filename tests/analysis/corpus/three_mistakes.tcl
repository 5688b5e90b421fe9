# The demo with three mistakes planted: one the check finds (nodee), one the
# dry run finds (a division by zero), one the model rules find (node 9).

model -dims 2 -dofs 3
units m kN s
source materials_part.tcl

set bayWidth 6.0
set storyHeight 3.5
set columnArea 0.09
set beamArea 0.12

# nodes: tag x y
node 1 0.0 0.0
node 2 $bayWidth 0.0
node 3 [expr {2 * $bayWidth}] 0.0
node 4 0.0 $storyHeight
node 5 $bayWidth $storyHeight
nodee 7 0.0 7.0
node 6 [expr {2 * $bayWidth}] $storyHeight

support 1 1 1 1
support 2 1 1 1
support 3 1 1 1

# The material and the transformation are in materials_part.tcl; the
# columns and beams carry their own section properties.

element Beam 1 1 4 $columnArea 30000000.0 0.000675 1
element Beam 2 2 5 $columnArea 30000000.0 0.000675 1
element Beam 3 3 6 $columnArea 30000000.0 0.000675 1
element Beam 4 4 5 $beamArea 30000000.0 0.0016 1
element Beam 5 5 6 $beamArea 30000000.0 0.0016 1
element Truss 6 1 9 0.002 1
set r [expr {1 / 0}]

series Linear 1
loadcase 1 1 {
    load 5 50.0 -120.0 0.0
    load 6 0.0 -120.0 0.0
}

output Node -file displacements.out -time -node 4 5 6 -dof 1 2 disp
output Element -file forces.out -ele 1 2 3 forces

numbering RCM
constraintMethod Plain
solver Banded
convergence DispNorm 1.0e-8 10
iteration Newton
stepping LoadStep 0.1
analysis Static

if {[run 10] != 0} {
    puts "analysis failed"
} else {
    puts "roof displacement: [nodeDisp 5 1]"
}
