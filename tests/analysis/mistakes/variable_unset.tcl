# expect: variable/unset 2
puts $undefinedThing
