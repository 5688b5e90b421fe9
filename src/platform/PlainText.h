#pragma once

#include <QString>

class QLabel;

// Text that a script, a help file or a run supplies is never taken for rich
// text: Qt renders a tooltip or a label as HTML when it looks like HTML, and
// an <img src=...> in it would have the window read any file it names.

// A tooltip that shows text as it is: escaped, its line breaks kept, and
// cut at kMaxToolTip characters so that a huge word cannot stall the window.
QString PlainToolTip(const QString& text);

// A label that shows whatever it is given as plain text.
QLabel* PlainLabel(QLabel* pLabel);

constexpr int kMaxToolTip = 2000;
