#include "PlainText.h"

#include <QLabel>
#include <QTextDocument>

QString PlainToolTip(const QString& text)
{
    if (text.isEmpty())
        return text;
    QString shown = text.size() > kMaxToolTip ? text.left(kMaxToolTip) + QChar(0x2026) : text;
    return Qt::convertFromPlainText(shown, Qt::WhiteSpacePre);
}

QLabel* PlainLabel(QLabel* pLabel)
{
    pLabel->setTextFormat(Qt::PlainText);
    return pLabel;
}
