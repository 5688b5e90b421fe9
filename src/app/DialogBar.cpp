#include "DialogBar.h"

#include "CloseUpComboBox.h"
#include "EntryListModel.h"
#include "editor/EntryList.h"
#include "platform/CommandIds.h"
#include "platform/CommandRouter.h"
#include "platform/Latin1.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <utility>

namespace
{
// Dialog units of the 8-point dialog font, roughly in pixels.
int DialogUnits(int nUnits)
{
    return nUnits * 3 / 2;
}

QPushButton* Button(CCommandRouter& router, int nId, const char* text, int nWidthUnits,
                    QWidget* pParent)
{
    auto* pButton = new QPushButton(QString::fromLatin1(text), pParent);
    pButton->setObjectName(QString::number(nId));
    pButton->setFixedWidth(DialogUnits(nWidthUnits) + 8);
    router.Bind(nId, pButton);
    return pButton;
}
} // namespace

CDialogBar::CDialogBar(CCommandRouter& router, QWidget* pParent) : QToolBar(pParent)
{
    using namespace CommandId;
    setObjectName(QStringLiteral("DialogBar"));
    setWindowTitle(QStringLiteral("Dialog Bar"));

    m_pFindText = new QLineEdit(this);
    m_pFindText->setObjectName(QString::number(IDC_FIND_TEXT));
    m_pFindText->setFixedWidth(DialogUnits(40) + 20);
    addWidget(m_pFindText);
    addWidget(m_pFind = Button(router, IDC_FIND, "Find", 18, this));
    addWidget(m_pFont = Button(router, IDC_FONT, "Font", 33, this));
    addWidget(m_pPlus = Button(router, IDC_PLUS, "+", 10, this));
    addWidget(m_pMinus = Button(router, IDC_MINUS, "--", 9, this));
    addSeparator();
    addWidget(new QLabel(QStringLiteral("Line No. "), this));
    m_pLineNumber = new QLineEdit(this);
    m_pLineNumber->setObjectName(QString::number(IDC_LINE_NUMBER));
    m_pLineNumber->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), m_pLineNumber));
    m_pLineNumber->setFixedWidth(DialogUnits(21) + 12);
    addWidget(m_pLineNumber);
    addWidget(m_pGo = Button(router, IDC_GO, "Go", 17, this));
    addSeparator();
    addWidget(new QLabel(QStringLiteral("Variables "), this));
    m_pVariables = new CCloseUpComboBox(this);
    m_pVariables->setObjectName(QString::number(IDC_VARIABLES));
    m_pVariables->setEditable(true);
    m_pVariables->setInsertPolicy(QComboBox::NoInsert);
    m_pVariables->setMinimumWidth(DialogUnits(74));
    addWidget(m_pVariables);
    addWidget(new QLabel(QStringLiteral(" Source "), this));
    m_pSources = new CCloseUpComboBox(this);
    m_pSources->setObjectName(QString::number(IDC_SOURCES));
    m_pSources->setEditable(true);
    m_pSources->setInsertPolicy(QComboBox::NoInsert);
    m_pSources->setMinimumWidth(DialogUnits(117));
    addWidget(m_pSources);
    addWidget(m_pOpen = Button(router, IDC_OPEN_SOURCE, "Open", 25, this));
    // Enter in a box presses the button beside it.
    connect(m_pFindText, &QLineEdit::returnPressed, this,
            [&router] { router.RouteCommand(IDC_FIND); });
    connect(m_pLineNumber, &QLineEdit::returnPressed, this,
            [&router] { router.RouteCommand(IDC_GO); });
    // The lists send their command when their drop-down closes.
    connect(m_pVariables, &CCloseUpComboBox::ClosedUp, this,
            [&router] { router.RouteCommand(IDC_VARIABLES); });
    connect(m_pSources, &CCloseUpComboBox::ClosedUp, this,
            [&router] { router.RouteCommand(IDC_SOURCES); });
}

std::string CDialogBar::FindText() const
{
    return FromQString(m_pFindText->text());
}

std::string CDialogBar::LineNumberText() const
{
    return FromQString(m_pLineNumber->text());
}

int CDialogBar::SelectedEntry(bool bSources, std::string& entry) const
{
    const QComboBox* pList = bSources ? static_cast<QComboBox*>(m_pSources) : m_pVariables;
    const int nSelected = pList->currentIndex();
    // The entry's own bytes: its text is only how the script shows them.
    const CEntryList* pEntries = bSources ? m_pSourceEntries : m_pVariableEntries;
    if (pEntries != nullptr && nSelected >= 0 && nSelected < pEntries->Count())
        entry = pEntries->Entries()[static_cast<size_t>(nSelected)];
    else
        entry = nSelected >= 0 ? FromQString(pList->itemText(nSelected)) : std::string();
    return nSelected;
}

void CDialogBar::ShowLists(const CEntryList& variables, const CEntryList& sources,
                           const CTextControl& shownAs)
{
    m_pVariableEntries = &variables;
    m_pSourceEntries = &sources;
    m_pVariablesModel = new CEntryListModel(variables, shownAs, this);
    m_pSourcesModel = new CEntryListModel(sources, shownAs, this);
    m_pVariables->setModel(m_pVariablesModel);
    m_pSources->setModel(m_pSourcesModel);
    RefreshLists();
}

void CDialogBar::FocusLineNumber()
{
    m_pLineNumber->setFocus(Qt::ShortcutFocusReason);
    m_pLineNumber->selectAll();
}

// Filling the lists picks no entry.
void CDialogBar::RefreshLists()
{
    for (auto [pList, pModel] :
         {std::pair{m_pVariables, m_pVariablesModel}, std::pair{m_pSources, m_pSourcesModel}})
    {
        if (pModel == nullptr)
            continue;
        pModel->Refresh();
        pList->setCurrentIndex(-1);
    }
}
