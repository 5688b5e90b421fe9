# The sandbox's encodings must not read outside the script's folder.
::tcl::encoding::system ebcdic
source ../outside/secret.tcl
source -encoding ../outside/secret part.tcl
::tcl::encoding::convertfrom ../outside/secret abc
encoding system ebcdic
node 1 0 0
