#include "FindReplaceDlg.h"

#include "platform/Latin1.h"
#include "platform/TextControl.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CFindReplaceDlg::CFindReplaceDlg(const std::string& findWhat, QWidget* pParent,
                                 const CTextControl* pTarget)
    : QDialog(pParent), m_pTarget(pTarget)
{
    setWindowTitle(QStringLiteral("Replace"));
    setModal(false);
    m_pFindWhat = new QLineEdit(ToDisplay(findWhat), this);
    m_pReplaceWith = new QLineEdit(this);
    m_pWholeWord = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    m_pMatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    auto* pFindNext = new QPushButton(QStringLiteral("&Find Next"), this);
    auto* pReplace = new QPushButton(QStringLiteral("&Replace"), this);
    auto* pReplaceAll = new QPushButton(QStringLiteral("Replace &All"), this);
    auto* pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    pFindNext->setDefault(true);
    connect(pFindNext, &QPushButton::clicked, this, [this] { Report(FR_FINDNEXT); });
    connect(pReplace, &QPushButton::clicked, this, [this] { Report(FR_REPLACE); });
    connect(pReplaceAll, &QPushButton::clicked, this, [this] { Report(FR_REPLACEALL); });
    connect(pCancel, &QPushButton::clicked, this, &CFindReplaceDlg::reject);

    auto* pLayout = new QGridLayout(this);
    // Each label is its box's mnemonic: Alt+N and Alt+P go to the boxes.
    auto* pFindLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    pFindLabel->setBuddy(m_pFindWhat);
    auto* pReplaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
    pReplaceLabel->setBuddy(m_pReplaceWith);
    pLayout->addWidget(pFindLabel, 0, 0);
    pLayout->addWidget(m_pFindWhat, 0, 1);
    pLayout->addWidget(pReplaceLabel, 1, 0);
    pLayout->addWidget(m_pReplaceWith, 1, 1);
    pLayout->addWidget(m_pWholeWord, 2, 0, 1, 2);
    pLayout->addWidget(m_pMatchCase, 3, 0, 1, 2);
    auto* pButtons = new QVBoxLayout;
    for (QPushButton* pButton : {pFindNext, pReplace, pReplaceAll, pCancel})
        pButtons->addWidget(pButton);
    pButtons->addStretch();
    pLayout->addLayout(pButtons, 0, 2, 4, 1);
}

std::string CFindReplaceDlg::GetFindString() const
{
    return FromDisplay(m_pFindWhat->text());
}

std::string CFindReplaceDlg::GetReplaceString() const
{
    return FromDisplay(m_pReplaceWith->text());
}

void CFindReplaceDlg::SetFindString(const std::string& findWhat)
{
    m_pFindWhat->setText(ToDisplay(findWhat));
}

QString CFindReplaceDlg::ToDisplay(const std::string& bytes) const
{
    return m_pTarget != nullptr ? m_pTarget->ToDisplay(bytes) : ToQString(bytes);
}

std::string CFindReplaceDlg::FromDisplay(const QString& text) const
{
    return m_pTarget != nullptr ? m_pTarget->FromDisplay(text) : FromQString(text);
}

void CFindReplaceDlg::Report(std::uint32_t nAction)
{
    m_nFlags = FR_DOWN | nAction | (m_pWholeWord->isChecked() ? FR_WHOLEWORD : 0) |
               (m_pMatchCase->isChecked() ? FR_MATCHCASE : 0);
    emit FindReplace();
}

void CFindReplaceDlg::reject()
{
    hide();
    Report(FR_DIALOGTERM);
}

void CFindReplaceDlg::closeEvent(QCloseEvent* pEvent)
{
    pEvent->accept();
    Report(FR_DIALOGTERM);
}
