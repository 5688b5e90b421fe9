#include "AboutDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent)
{
    setWindowTitle(QStringLiteral("About Corvale"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    auto* pIcon = new QLabel(this);
    pIcon->setPixmap(QIcon(QStringLiteral(":/icons/corvale.svg")).pixmap(40, 32));
    auto* pText = new QLabel(this);
    pText->setTextFormat(Qt::PlainText);
    pText->setText(QStringLiteral("Corvale Version 0.3.1 (beta)  February 20, 2001\n\n"
                                  "Version 0.4 August 25, 2002\n"
                                  "Change log: \n"
                                  "1. Allow tcl files to have paths with spaces inbetween\n"
                                  "2. Removed middle mouse button paste\n"
                                  "3. Limit file size to 2MB (from 20MB)\n"
                                  "4. Increased default cache for help\n"
                                  "5. Vorsa is now executed with no_wait\n"
                                  "6. Fixed scrolling issues with Windows 2000\n\n"
                                  "To do:\n"
                                  "Read in the above information through the configuration file"));
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* pLayout = new QGridLayout(this);
    pLayout->addWidget(pIcon, 0, 0, Qt::AlignTop);
    pLayout->addWidget(pText, 0, 1);
    pLayout->addWidget(pButtons, 1, 0, 1, 2);
}
