#pragma once

#include <QObject>
#include <QStringList>
#include <string>

class QComboBox;
class QWidget;
class CScriptEdit;

// The script document. It owns no text: the script lives in the editing pane.
// It keeps the changed flag and fills the dialog bar's Variables and Source
// lists while the whole text is recoloured.
class CCorvaleDoc : public QObject
{
    Q_OBJECT

public:
    explicit CCorvaleDoc(QObject* pParent = nullptr);
    ~CCorvaleDoc() override;

    // The lists of the dialog bar; without them the list operations do nothing.
    void SetLists(QComboBox* pVariables, QComboBox* pSources);

    void ClearVariables();
    void ClearSources();
    // Adds the word unless an entry already begins with it, ignoring case. The
    // lists stay sorted without regard to case.
    void AddVariable(const std::string& word);
    void AddSource(const std::string& word);

    QWidget* m_pView = nullptr; // the editor view; focus goes there while a line is recoloured
    bool m_bChanged = false;
    bool m_bRecolourPending = true;
    CScriptEdit* m_pEdit = nullptr;

private:
    // A list and its entries case-folded in list order, so that the prefix test
    // and the sorted place of a new entry are binary searches.
    struct CSortedList
    {
        QComboBox* pList = nullptr;
        QStringList folded;
    };
    static void Clear(CSortedList& list);
    static void AddUnlessPrefixed(CSortedList& list, const std::string& word);

    CSortedList m_variables;
    CSortedList m_sources;
};
