#include "PrintOptionsDlg.h"

#include "platform/UserInteraction.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <climits>

CPrintOptionsDlg::CPrintOptionsDlg(QWidget* pParent) : QDialog(pParent)
{
    setWindowTitle(QStringLiteral("Print Options"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    auto box = [this](const char* id)
    {
        auto* pBox = new QLineEdit(this);
        pBox->setObjectName(QString::fromLatin1(id));
        pBox->setFixedWidth(70);
        return pBox;
    };
    m_pLeftMargin = box("1009");
    m_pTopMargin = box("1010");
    m_pBottomMargin = box("1011");
    m_pLineGap = box("1012");
    auto* pNote = new QLabel(
        QStringLiteral("Top and the bottom margins will determine number of lines per page, "
                       "and line gap, the spacing between them."),
        this);
    pNote->setWordWrap(true);
    // Cancel at the left and OK at the right, whatever order the style's
    // button box would choose.
    auto* pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* pOk = new QPushButton(QStringLiteral("OK"), this);
    pOk->setDefault(true);
    connect(pOk, &QPushButton::clicked, this, &CPrintOptionsDlg::accept);
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* pButtons = new QHBoxLayout;
    pButtons->addWidget(pCancel);
    pButtons->addStretch();
    pButtons->addWidget(pOk);

    auto* pLayout = new QGridLayout(this);
    pLayout->addWidget(new QLabel(QStringLiteral("Left Margin:"), this), 0, 0);
    pLayout->addWidget(m_pLeftMargin, 0, 1);
    pLayout->addWidget(new QLabel(QStringLiteral("Top Margin:"), this), 1, 0);
    pLayout->addWidget(m_pTopMargin, 1, 1);
    pLayout->addWidget(new QLabel(QStringLiteral("Bottom Margin:"), this), 2, 0);
    pLayout->addWidget(m_pBottomMargin, 2, 1);
    pLayout->addWidget(new QLabel(QStringLiteral("Line gap:"), this), 3, 0);
    pLayout->addWidget(m_pLineGap, 3, 1);
    pLayout->addWidget(pNote, 4, 0, 1, 2);
    pLayout->addLayout(pButtons, 5, 0, 1, 2);
}

void CPrintOptionsDlg::SetSettings(const CPrintSettings& settings)
{
    m_nBottomMargin = settings.nBottomMargin;
    m_nLeftMargin = settings.nLeftMargin;
    m_nLineGap = settings.nLineGap;
    m_nTopMargin = settings.nTopMargin;
}

CPrintSettings CPrintOptionsDlg::Settings() const
{
    return {m_nTopMargin, m_nLeftMargin, m_nBottomMargin, m_nLineGap};
}

int CPrintOptionsDlg::exec()
{
    m_pLeftMargin->setText(QString::number(m_nLeftMargin));
    m_pTopMargin->setText(QString::number(m_nTopMargin));
    m_pBottomMargin->setText(QString::number(m_nBottomMargin));
    m_pLineGap->setText(QString::number(m_nLineGap));
    return QDialog::exec();
}

bool CPrintOptionsDlg::ReadBox(QLineEdit* pBox, int nMin, int nMax, int& nValue)
{
    static const QRegularExpression kInteger(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    bool bOk = kInteger.match(pBox->text()).hasMatch();
    const long long nRead = bOk ? pBox->text().trimmed().toLongLong(&bOk) : 0;
    if (!bOk || nRead < INT_MIN || nRead > INT_MAX)
    {
        UserInteraction().ShowMessage("Please enter an integer.");
        pBox->setFocus();
        return false;
    }
    if (nRead < nMin || nRead > nMax)
    {
        UserInteraction().ShowMessage("Please enter an integer between " + std::to_string(nMin) +
                                      " and " + std::to_string(nMax) + ".");
        pBox->setFocus();
        return false;
    }
    nValue = static_cast<int>(nRead);
    return true;
}

// Nothing is stored until every box has passed.
void CPrintOptionsDlg::accept()
{
    int nBottom = 0;
    int nLeft = 0;
    int nGap = 0;
    int nTop = 0;
    if (!ReadBox(m_pBottomMargin, 0, 10000, nBottom) || !ReadBox(m_pLeftMargin, 0, 10000, nLeft) ||
        !ReadBox(m_pLineGap, 0, 1000, nGap) || !ReadBox(m_pTopMargin, 0, 10000, nTop))
        return;
    m_nBottomMargin = nBottom;
    m_nLeftMargin = nLeft;
    m_nLineGap = nGap;
    m_nTopMargin = nTop;
    QDialog::accept();
}
