#include "QtUserInteraction.h"

#include "Latin1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QProcess>

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

bool CQtUserInteraction::AskOpenFileName(const std::string& filter, std::string& path)
{
    // The dialogs start in the working directory, the folder of the script
    // last opened or saved, as the old platform's did.
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Open"), QDir::currentPath(),
                       QString::fromStdString(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
    return true;
}

bool CQtUserInteraction::AskSaveFileName(const std::string& filter,
                                         const std::string& defaultExtension,
                                         const std::string& proposed, std::string& path)
{
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Save As"), QDir::currentPath(),
                       QString::fromStdString(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(proposed)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
    return true;
}

bool CQtUserInteraction::StartProgram(const std::string& program,
                                      const std::vector<std::string>& arguments)
{
    QStringList list;
    for (const std::string& argument : arguments)
        list << QFile::decodeName(QByteArray::fromStdString(argument));
    return QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(program)), list);
}

bool CQtUserInteraction::AskFontFace(std::string& faceName)
{
    bool bOk = false;
    const QFont font = QFontDialog::getFont(&bOk, QApplication::activeWindow());
    if (!bOk)
        return false;
    faceName = FromQString(font.family());
    return true;
}
