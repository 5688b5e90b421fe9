#include "CorvaleDoc.h"

#include "AnalysisMarks.h"
#include "ScriptEdit.h"
#include "platform/Latin1.h"
#include "platform/UserInteraction.h"
#include "text/SystemEncoding.h"
#include "text/Utf8Detector.h"
#include "text/WhiteSpace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace
{
QString PathToQString(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The path as the framework keeps it: absolute, so that exec.bat and the
// recent files name the script wherever the program was started.
std::string FullPath(const std::string& path)
{
    if (path.empty())
        return path;
    return QFile::encodeName(QFileInfo(PathToQString(path)).absoluteFilePath()).toStdString();
}

// As the old file dialogs did: exec.bat, the analysis program's output and
// the relative names a script sources then all live beside the script.
void MakeFolderCurrent(const std::string& fullPath)
{
    QDir::setCurrent(QFileInfo(PathToQString(fullPath)).absolutePath());
}

// Why a write failed, in the system's words: Qt leaves some short writes
// without a reason of its own.
QString SystemReason(int nErrno, const QFileDevice& file)
{
    if (nErrno != 0)
        return QString::fromLocal8Bit(std::strerror(nErrno));
    const QString reason = file.errorString();
    return reason == QStringLiteral("Unknown error") ? QString(QStringLiteral("")) : reason;
}

std::string WithLineFeedsOnly(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out.push_back(text[i]);
    }
    return out;
}
} // namespace

CCorvaleDoc::CCorvaleDoc(QObject* pParent) : QObject(pParent) {}

CCorvaleDoc::~CCorvaleDoc() = default;

bool CCorvaleDoc::AskCloseAnyway() const
{
    return UserInteraction().AskYesNo(kCloseQuestion);
}

void CCorvaleDoc::SetPathName(const std::string& path)
{
    m_pathName = path;
    m_title = path.empty() ? std::string("Untitled")
                           : FromQString(QFileInfo(PathToQString(path)).fileName());
    emit TitleChanged();
}

void CCorvaleDoc::OnFileNew()
{
    if (m_bChanged)
    {
        if (!AskCloseAnyway())
            return;
        m_bChanged = false;
    }
    OnNewDocument();
}

bool CCorvaleDoc::OnNewDocument()
{
    if (m_bChanged && !AskCloseAnyway())
        return false;
    m_bLineFeedsOnly = false;
    SetPathName(std::string());
    m_pEdit->SetWindowText(std::string());
    // What the user types into a new script is stored in the system's encoding.
    m_pEdit->SetUtf8Text(SystemEncodingIsUtf8());
    // The last script's variables and sourced files are not the new one's.
    ClearVariables();
    ClearSources();
    ListsFilled();
    return true;
}

void CCorvaleDoc::OnFileOpen()
{
    // The question about changed text comes after the file is chosen.
    std::string path;
    if (UserInteraction().AskOpenFileName(kFilter, path))
        OnOpenDocument(path);
}

bool CCorvaleDoc::Serialize(QIODevice& file, bool bStoring)
{
    if (bStoring)
    {
        // The pane's text goes out as plain text, with the file's own line breaks.
        std::string text;
        m_pEdit->StreamOut(
            [&text](const char* pBuffer, long nBytes)
            {
                text.append(pBuffer, static_cast<size_t>(nBytes));
                return nBytes;
            });
        if (m_bLineFeedsOnly)
            text = WithLineFeedsOnly(text);
        if (file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()))
            return false;
    }
    else
    {
        // A read error raises, and the pane keeps its old text.
        const CTextControl::CStreamInResult result = m_pEdit->StreamIn(
            [&file](char* pBuffer, long nWanted) -> long
            {
                const qint64 nRead = file.read(pBuffer, nWanted);
                if (nRead < 0)
                    throw std::runtime_error("read error");
                return static_cast<long>(nRead);
            });
        m_bLineFeedsOnly = result.bLineFeedsOnly;
        m_bTruncated = result.bTruncated;
        // Text that is UTF-8 shows as UTF-8, and so does plain ASCII on a
        // UTF-8 system, so that what is typed into it is stored as every
        // other program there reads it; anything else one byte a character.
        const std::string_view text = m_pEdit->TextView();
        m_pEdit->SetUtf8Text(CUtf8Detector::IsUtf8(text) ||
                             (SystemEncodingIsUtf8() && CUtf8Detector::IsAscii(text)));
    }
    m_bChanged = false;
    return true;
}

bool CCorvaleDoc::LoadFile(const std::string& path)
{
    QFile file(PathToQString(path));
    // Only regular files open, as for the configuration and help files: a
    // FIFO would block the program before any window shows, and a device
    // such as /dev/zero would never end.
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
    {
        UserInteraction().ShowMessage(file.exists() ? std::string("Failed to open document.")
                                                    : path + " was not found.");
        return false;
    }
    try
    {
        Serialize(file, false);
    }
    catch (const std::exception&)
    {
        UserInteraction().ShowMessage("Failed to open document.");
        return false;
    }
    if (m_bTruncated)
        UserInteraction().ShowMessage(
            path + " holds more than 2,000,000 characters: only the first 2,000,000 were "
                   "loaded, and saving the script will write only those.");
    return true;
}

bool CCorvaleDoc::OnOpenDocument(const std::string& pathAsGiven)
{
    const std::string path = FullPath(pathAsGiven);
    if (m_bChanged && !AskCloseAnyway())
        return false;
    if (!LoadFile(path))
        return false;
    m_pView->setFocus();
    // Every open colours the whole text anew, and checks it.
    m_pEdit->FontifyAll();
    m_pEdit->setFocus();
    MakeFolderCurrent(path);
    SetPathName(path);
    m_pEdit->Analysis().AnalyseNow();
    return true;
}

bool CCorvaleDoc::OnFileSave()
{
    if (m_pathName.empty())
        return OnFileSaveAs();
    return OnSaveDocument(m_pathName);
}

bool CCorvaleDoc::OnFileSaveAs()
{
    const std::string proposed =
        m_pathName.empty() ? m_title + "." + kDefaultExtension : m_pathName;
    std::string path;
    if (!UserInteraction().AskSaveFileName(kFilter, kDefaultExtension, proposed, path))
        return false;
    return OnSaveDocument(path);
}

// The text goes to a temporary file beside the target, which replaces the
// target only once it is complete: a failed save leaves the old file as it was.
bool CCorvaleDoc::OnSaveDocument(const std::string& pathAsGiven)
{
    const std::string path = FullPath(pathAsGiven);
    const bool bWasChanged = m_bChanged;
    QSaveFile file(PathToQString(path));
    // A folder the user may not write keeps a file they may: only where the
    // temporary file beside it cannot be made is the file written in place.
    file.setDirectWriteFallback(true);
    // What Qt still buffers is written, and checked, before the rename: a
    // commit does not look at the result of its own final flush, and a full
    // disk would otherwise replace the script with what fitted.
    QString reason;
    if (QFileInfo(file.fileName()).isDir())
        reason = QStringLiteral("It is a folder.");
    else if (!file.open(QIODevice::WriteOnly))
        reason = file.errorString();
    else
    {
        errno = 0;
        if (!Serialize(file, true) || !file.flush() || file.error() != QFileDevice::NoError)
            reason = SystemReason(errno, file);
        else if (errno = 0; !file.commit())
            reason = SystemReason(errno, file);
    }
    if (!reason.isNull())
    {
        file.cancelWriting();
        m_bChanged = bWasChanged;
        std::string message = "Failed to save document.";
        if (!reason.isEmpty())
            message.append(1, '\n').append(FromQString(reason));
        UserInteraction().ShowMessage(message);
        return false;
    }
    MakeFolderCurrent(path);
    SetPathName(path);
    m_pEdit->Analysis().AnalyseNow();
    return true;
}

bool CCorvaleDoc::CanCloseFrame()
{
    if (m_bChanged && !AskCloseAnyway())
        return false;
    return true;
}

// The edit commands count as changes even where they change nothing (Undo
// with nothing to undo, Paste of an empty clipboard).
void CCorvaleDoc::ChangeThroughPane(const std::function<void(CScriptEdit&)>& edit)
{
    edit(*m_pEdit);
    m_bChanged = true;
}

void CCorvaleDoc::OnEditCut()
{
    ChangeThroughPane([](CScriptEdit& pane) { pane.Cut(); });
}

void CCorvaleDoc::OnEditCopy()
{
    m_pEdit->Copy();
}

void CCorvaleDoc::OnEditPaste()
{
    ChangeThroughPane(
        [](CScriptEdit& pane)
        {
            if (!pane.PasteSpecial())
                UserInteraction().ShowMessage("The script cannot grow past 2,000,000 characters: "
                                              "only part of the clipboard was pasted.");
            pane.FontifyCurrentLine();
        });
}

void CCorvaleDoc::OnEditUndo()
{
    ChangeThroughPane([](CScriptEdit& pane) { pane.UndoAndFontify(); });
}

void CCorvaleDoc::OnEditRedo()
{
    ChangeThroughPane([](CScriptEdit& pane) { pane.RedoAndFontify(); });
}

void CCorvaleDoc::ClearVariables()
{
    m_variables.Clear();
}

void CCorvaleDoc::ClearSources()
{
    m_sources.Clear();
}

void CCorvaleDoc::AddVariable(const std::string& word)
{
    m_variables.AddUnlessPrefixed(word);
}

void CCorvaleDoc::AddSource(const std::string& word)
{
    m_sources.AddUnlessPrefixed(word);
}

void CCorvaleDoc::ListsFilled()
{
    emit ListsChanged();
}

void CCorvaleDoc::OnCommentSelection()
{
    ChangeThroughPane([](CScriptEdit& pane) { pane.CommentLines(); });
}

void CCorvaleDoc::OnUncommentSelection()
{
    ChangeThroughPane([](CScriptEdit& pane) { pane.UncommentLines(); });
}

long CCorvaleDoc::ParseLineNumber(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i]))
        ++i;
    bool bNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        bNegative = text[i++] == '-';
    long nValue = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    {
        // A number too large for any script stays at a value past every line.
        nValue = std::min(nValue * 10 + (text[i] - '0'), 1000000000L);
    }
    return bNegative ? -nValue : nValue;
}

void CCorvaleDoc::OnGo(const std::string& lineNumberText)
{
    const long n = ParseLineNumber(lineNumberText);
    if (n < 1)
    {
        UserInteraction().ShowMessage("Error - Line number < 1");
        return;
    }
    m_pEdit->GoToLine(n);
}

void CCorvaleDoc::OnListCloseUp(bool bSources, int nSelected, const std::string& entry)
{
    if (nSelected < 0)
        return;
    m_pEdit->GoToKeywordLine(entry, bSources ? "source" : "set");
}

void CCorvaleDoc::OnOpenSource(int nSelected, const std::string& entry, const std::string& editor)
{
    if (nSelected < 0)
        return;
    if (!UserInteraction().StartProgram(editor, {entry}))
        UserInteraction().ShowMessage("Error opening file");
}

void CCorvaleDoc::OnFont()
{
    std::string face;
    if (!UserInteraction().AskFontFace(face))
        return;
    m_pEdit->SetFontFace(face);
    m_pEdit->FontifyAll();
}
