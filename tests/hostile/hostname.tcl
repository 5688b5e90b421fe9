# Asking the machine its name must reach no network.
node 1 0 0
set host [info hostname]
