#pragma once

class QsciScintilla;

// The anchor for Replace All: Scintilla's own search and target replace, in a
// plain loop over the whole text, each search starting behind the last
// replacement.
void ScintillaReplaceLoop(QsciScintilla& control, const char* pFind, const char* pReplace);
