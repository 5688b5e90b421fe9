# expect: variable/typo 4
set bayWidth 6.0
node 1 0 0
node 2 $bayWidht 0
