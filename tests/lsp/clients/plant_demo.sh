#!/usr/bin/env bash
# Copies the demo into a folder with the three mistakes the client tests
# look for: a misspelt sub-command, a node that does not exist and a typo in
# a variable. Usage: plant_demo.sh source-dir folder
set -euo pipefail
source_dir="$1"
work="$2"
cp "$source_dir/share/demo/materials_part.tcl" "$work/"
sed -e 's/^element Beam 3 /element Baem 3 /' -e 's/^element Beam 5 5 6 /element Beam 5 5 9 /' \
  -e 's/^node 2 \$bayWidth/node 2 $bayWdth/' "$source_dir/share/demo/example.tcl" > "$work/example.tcl"
