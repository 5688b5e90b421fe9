#include "QtUserInteraction.h"

#include "Latin1.h"

#include <QApplication>
#include <QMessageBox>

void CQtUserInteraction::ShowMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle), ToQString(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool CQtUserInteraction::AskYesNo(const std::string& text)
{
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kApplicationTitle), ToQString(text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}
