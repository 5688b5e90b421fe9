# Länge in µm
set länge 3.5
puts "µm"; nodee 1 0.0 0.0
