#pragma once

#include <QToolBar>
#include <string>

class CCloseUpComboBox;
class CEntryList;
class CEntryListModel;
class CTextControl;
class QLineEdit;
class QPushButton;
class CCommandRouter;

// The bar below the tool bar: Find box and button, Font, "+" and "--", the
// Line No. box and Go, the Variables and Source lists, and Open. Its buttons
// send their commands through the router like menu items.
class CDialogBar : public QToolBar
{
    Q_OBJECT

public:
    explicit CDialogBar(CCommandRouter& router, QWidget* pParent = nullptr);

    std::string FindText() const;
    std::string LineNumberText() const;
    // The entry picked in the Variables or Source list: its row, or -1.
    int SelectedEntry(bool bSources, std::string& entry) const;
    // The lists show the document's entries; Refresh after they were filled.
    void ShowLists(const CEntryList& variables, const CEntryList& sources,
                   const CTextControl& shownAs);
    void RefreshLists();
    CEntryListModel* VariablesModel() const { return m_pVariablesModel; }
    // Puts the focus in the Line No. box with its text selected, to be typed over.
    void FocusLineNumber();

    QLineEdit* m_pFindText;         // 1000
    QPushButton* m_pFind;           // 1001
    QPushButton* m_pFont;           // 1002
    QPushButton* m_pPlus;           // 1004
    QPushButton* m_pMinus;          // 1005
    QLineEdit* m_pLineNumber;       // 1015, digits only
    QPushButton* m_pGo;             // 1016
    CCloseUpComboBox* m_pVariables; // 1017
    CCloseUpComboBox* m_pSources;   // 1018
    QPushButton* m_pOpen;           // 1019

private:
    const CEntryList* m_pVariableEntries = nullptr;
    const CEntryList* m_pSourceEntries = nullptr;
    CEntryListModel* m_pVariablesModel = nullptr;
    CEntryListModel* m_pSourcesModel = nullptr;
};
