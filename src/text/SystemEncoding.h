#pragma once

// Whether the system's own encoding for text is UTF-8: the locale's character
// set on Linux (after the program has taken the user's locale), the ANSI code
// page on Windows. Text a user types into a script that has no byte of its own
// past ASCII is stored in this encoding, as every other program there reads it.
bool SystemEncodingIsUtf8();
