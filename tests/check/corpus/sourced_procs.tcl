source procs_part.tcl
addStory 1
buildBay 2
nodee 5 0 0
