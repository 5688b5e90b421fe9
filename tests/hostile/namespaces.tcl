# Whatever a script can reach of Tcl's own namespaces is refused.
node 1 0 0
::tcl::unsupported::representation x
::tcl::clock::getenv HOME
::tcl::chan::pipe
::tcl::file::delete x
package require http
tcl::encoding::system ebcdic
