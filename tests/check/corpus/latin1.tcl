# Länge in µm
set länge 3.5
nodee 1 $länge 0.0
