echo off
cls
echo Starting Vorsa..
echo off
/opt/vorsa/bin/vorsa "/home/eng/frame model.tcl" 
echo   ---------------------------------------------------------------------------
/opt/vorsa/bin/stop.exe /home/eng/frame model.tcl
