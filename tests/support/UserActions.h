#pragma once

#include <QString>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;
class QWidget;

// What a user does to a real dialog, for the tests that drive one.

// Runs the user's part once the next modal dialog is up. A dialog the user's
// part leaves open (after a failed expectation) is closed, so the test goes on.
void WhenDialogShows(std::function<void(QWidget& dialog)> user);

// The push button that shows this text (mnemonic "&" included); a failure when none does.
QPushButton* ButtonWithText(const QWidget& dialog, const QString& text);

// Replaces a line edit's text as the keyboard does.
void TypeOver(QLineEdit& edit, const QString& text);

// Types the text key by key, characters past ASCII included, as a keyboard
// that has them does.
void TypeText(QWidget* pWidget, const QString& text);

// The pages of a PDF file's text.
int PagesInPdf(const std::string& pdf);

// The text a tooltip shows a person: its markup taken away, escapes undone.
QString ShownText(const QString& tip);

// This process's resident memory, from /proc, in kilobytes.
long ResidentKilobytes();
// Processor time of the calling thread (the window's), in milliseconds.
double ThreadMs();
