#include "QtUserInteraction.h"

#include "Latin1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QProcess>

namespace
{
// Room beside the caption for a title bar's icon and buttons.
constexpr int kTitleBarButtons = 150;

// A short message ("String not found") would make a box narrower than its
// title bar needs: a row of the box's grid keeps it wide enough.
void WidenForCaption(QMessageBox& box)
{
    if (auto* pGrid = qobject_cast<QGridLayout*>(box.layout()))
        pGrid->addItem(new QSpacerItem(CQtUserInteraction::MinimumMessageWidth(box.font()), 0,
                                       QSizePolicy::Minimum, QSizePolicy::Fixed),
                       pGrid->rowCount(), 0, 1, pGrid->columnCount());
}
} // namespace

// The caption in a bold title font, beside the window manager's buttons.
int CQtUserInteraction::MinimumMessageWidth(const QFont& font)
{
    QFont titleFont = font;
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(QString::fromLatin1(kApplicationTitle)) +
           kTitleBarButtons;
}

void CQtUserInteraction::ShowMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle), ToQString(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    WidenForCaption(box);
    box.exec();
}

bool CQtUserInteraction::AskYesNo(const std::string& text)
{
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kApplicationTitle), ToQString(text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    box.setTextFormat(Qt::PlainText);
    WidenForCaption(box);
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

// The dialog opens with no font picked, as far as Qt's own dialog allows: its
// family list has no selection and its family box is empty. OK without a pick
// then chooses nothing, like Cancel.
bool CQtUserInteraction::AskFontFace(std::string& faceName)
{
    QFontDialog dialog(QApplication::activeWindow());
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    auto* pFamilies = dialog.findChild<QListView*>();
    auto* pFamilyBox = dialog.findChild<QLineEdit*>();
    if (pFamilies != nullptr && pFamilyBox != nullptr)
    {
        pFamilies->selectionModel()->clear();
        pFamilyBox->clear();
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (pFamilyBox != nullptr && pFamilyBox->text().isEmpty())
        return false;
    faceName = FromQString(dialog.selectedFont().family());
    return true;
}
