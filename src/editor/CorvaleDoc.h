#pragma once

#include "EntryList.h"
#include "platform/CommandTarget.h"

#include <QObject>
#include <functional>
#include <string>

class QIODevice;
class QWidget;
class CDocumentHost;
class CScriptEdit;

// The script document. It owns no text: the script lives in the editing pane,
// and the document streams it in from a file on open and out to a file on
// save. It keeps the changed flag, asks before changed text is thrown away,
// answers the edit commands, and keeps the Variables and Source lists that
// the whole-text recolouring fills and the dialog bar shows. The editing pane
// attaches itself (CScriptEdit::AttachTo) before anything else is asked of it.
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

    const std::string& GetPathName() const { return m_pathName; }
    const std::string& GetTitle() const { return m_title; }

    // ---- edit commands ----
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditUndo();
    void OnEditRedo();

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
    void ClearVariables();
    void ClearSources();
    // Adds the word unless an entry already begins with it, ignoring case. The
    // lists stay sorted without regard to case.
    void AddVariable(const std::string& word);
    void AddSource(const std::string& word);
    // The recolouring has filled the lists: whoever shows them is told.
    void ListsFilled();
    const CEntryList& Variables() const { return m_variables; }
    const CEntryList& Sources() const { return m_sources; }

    // ---- commands ----
    // The commands the document answers, with the window around it to ask.
    void DefineCommands(CDocumentHost& host);
    const CCommandTarget& Commands() const { return m_commands; }

    QWidget* m_pView = nullptr; // the editor view
    bool m_bChanged = false;
    CScriptEdit* m_pEdit = nullptr;

signals:
    // The path name or title changed (the main window shows the title).
    void TitleChanged();
    // The Variables and Source lists were filled anew.
    void ListsChanged();

private:
    // Streams the pane's whole text in from the file, replacing it, or out to
    // it; then the script counts as unchanged. Loading raises on a read error.
    bool Serialize(QIODevice& file, bool bStoring);
    // Reads the file into the editing pane; false (with its message) on failure.
    bool LoadFile(const std::string& path);
    void SetPathName(const std::string& path);
    bool AskCloseAnyway() const;
    // Runs an edit on the pane; the script then counts as changed.
    void ChangeThroughPane(const std::function<void(CScriptEdit&)>& edit);

    CEntryList m_variables;
    CEntryList m_sources;
    CCommandTarget m_commands;
    std::string m_pathName;
    std::string m_title = "Untitled";
    // The file opened had every line break as a lone LF: it is written back so.
    bool m_bLineFeedsOnly = false;
    // The last file loaded held more than the pane takes.
    bool m_bTruncated = false;
};
