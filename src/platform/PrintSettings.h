#pragma once

// The page layout of a printed script: margins and line gap, as whole numbers
// the Print Options dialog edits (hundredths of an inch for the page count,
// device units on the page).
struct CPrintSettings
{
    int nTopMargin = 150;
    int nLeftMargin = 200;
    int nBottomMargin = 50;
    int nLineGap = 80;
};
