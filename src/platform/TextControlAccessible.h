#pragma once

#include <QAccessibleWidget>

class CTextControl;
class QObject;

// What a screen reader sees of a text control: its text, caret and selection.
// A character is a byte of the control, so an offset is a position and costs
// nothing to work out. QScintilla's own accessible object counts characters
// from the start of the text on every caret move, milliseconds per key in a
// long script; this one takes its place for every CTextControl.
class CTextControlAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit CTextControlAccessible(CTextControl* pControl);

    // Installed once, before the first control is shown; asked before
    // QScintilla's factory, which then never builds one of its own.
    static void InstallFactory();

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    CTextControl* Control() const;
};
