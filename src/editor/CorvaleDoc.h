#pragma once

#include <QObject>
#include <QStringList>
#include <string>

class QComboBox;
class QIODevice;
class QWidget;
class CScriptEdit;

// The script document. It owns no text: the script lives in the editing pane,
// and the document streams it in from a file on open and out to a file on
// save. It keeps the changed flag, asks before changed text is thrown away,
// answers the edit commands, and fills the dialog bar's Variables and Source
// lists while the whole text is recoloured.
class CCorvaleDoc : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* kFilter = "Tcl Files (*.tcl);;All Files (*.*)";
    static constexpr const char* kDefaultExtension = "tcl";
    static constexpr const char* kCloseQuestion = "File has been modified, close anyway?";

    explicit CCorvaleDoc(QObject* pParent = nullptr);
    ~CCorvaleDoc() override;

    // ---- the document's life ----
    // File New: asks about changed text first, then starts an empty script.
    void OnFileNew();
    bool OnNewDocument();
    // File Open: the Open dialog, then OnOpenDocument.
    void OnFileOpen();
    // Opening or saving makes the path absolute and the script's folder the
    // working directory.
    bool OnOpenDocument(const std::string& path);
    // File Save and Save As. False when nothing was saved.
    bool OnFileSave();
    bool OnFileSaveAs();
    bool OnSaveDocument(const std::string& path);
    // Closing the main window: false keeps it open.
    bool CanCloseFrame();
    void DeleteContents();

    const std::string& GetPathName() const { return m_pathName; }
    const std::string& GetTitle() const { return m_title; }

    // ---- edit commands ----
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditUndo();

    // ---- line commands and the dialog bar ----
    void OnCommentSelection();
    void OnUncommentSelection();
    // The Go button, with the Line No. box's text.
    void OnGo(const std::string& lineNumberText);
    // The number at the start of a text, as atoi reads it; 0 without digits.
    static long ParseLineNumber(const std::string& text);
    // A list's drop-down closed: jump to the line of the selected entry, if any.
    void OnListCloseUp(bool bSources, int nSelected, const std::string& entry);
    // The Open button: the configured editor on the selected Source entry.
    void OnOpenSource(int nSelected, const std::string& entry, const std::string& editor);
    // The Font button: a new face for the whole script.
    void OnFont();

    // ---- the dialog bar's lists ----
    // The lists of the dialog bar; without them the list operations do nothing.
    void SetLists(QComboBox* pVariables, QComboBox* pSources);
    void ClearVariables();
    void ClearSources();
    // Adds the word unless an entry already begins with it, ignoring case. The
    // lists stay sorted without regard to case.
    void AddVariable(const std::string& word);
    void AddSource(const std::string& word);

    QWidget* m_pView = nullptr; // the editor view
    bool m_bChanged = false;
    bool m_bRecolourPending = true;
    CScriptEdit* m_pEdit = nullptr;

signals:
    // The path name or title changed (the main window shows the title).
    void TitleChanged();

private:
    // Streams the pane's whole text in from the file, replacing it, or out to
    // it; then the script counts as unchanged. Loading raises on a read error.
    bool Serialize(QIODevice& file, bool bStoring);
    // Reads the file into the editing pane; false (with its message) on failure.
    bool LoadFile(const std::string& path);
    void SetPathName(const std::string& path);
    bool AskCloseAnyway() const;

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
    std::string m_pathName;
    std::string m_title = "Untitled";
    // The file opened had every line break as a lone LF: it is written back so.
    bool m_bLineFeedsOnly = false;
    // The last file loaded held more than the pane takes.
    bool m_bTruncated = false;
};
