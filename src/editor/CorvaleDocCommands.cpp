// The commands the document answers: the edit commands, the line commands,
// and the dialog bar's buttons and lists.
#include "CorvaleDoc.h"
#include "DocumentHost.h"
#include "ScriptEdit.h"
#include "platform/CommandIds.h"

using namespace CommandId;

void CCorvaleDoc::DefineCommands(CDocumentHost& host)
{
    CDocumentHost* pHost = &host;
    m_commands.OnCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    m_commands.OnCommand(ID_FILE_SAVE, [this] { OnFileSave(); });
    m_commands.OnCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    m_commands.OnCommand(ID_EDIT_CUT, [this] { OnEditCut(); });
    m_commands.OnCommand(ID_EDIT_COPY, [this] { OnEditCopy(); });
    m_commands.OnCommand(ID_EDIT_PASTE, [this] { OnEditPaste(); });
    m_commands.OnCommand(ID_EDIT_UNDO, [this] { OnEditUndo(); });
    m_commands.OnCommand(ID_EDIT_REDO, [this] { OnEditRedo(); });
    m_commands.OnCommand(ID_FONTIFY_CURRENT_LINE, [this] { m_pEdit->FontifyCurrentLine(); });
    m_commands.OnCommand(ID_FONTIFY_LINE, [this] { m_pEdit->FontifyCurrentLine(); });
    m_commands.OnCommand(ID_COMMENT_SELECTION, [this] { OnCommentSelection(); });
    m_commands.OnCommand(ID_UNCOMMENT_SELECTION, [this] { OnUncommentSelection(); });
    m_commands.OnCommand(IDC_FONT, [this] { OnFont(); });
    m_commands.OnCommand(IDC_GO, [this, pHost] { OnGo(pHost->LineNumberText()); });
    m_commands.OnCommand(IDC_FIND, [pHost] { pHost->OpenFindReplace(pHost->FindText()); });
    for (const bool bSources : {false, true})
    {
        m_commands.OnCommand(bSources ? IDC_SOURCES : IDC_VARIABLES,
                             [this, pHost, bSources]
                             {
                                 std::string entry;
                                 const int nSelected = pHost->SelectedEntry(bSources, entry);
                                 OnListCloseUp(bSources, nSelected, entry);
                             });
    }
    m_commands.OnCommand(IDC_OPEN_SOURCE,
                         [this, pHost]
                         {
                             std::string entry;
                             const int nSelected = pHost->SelectedEntry(true, entry);
                             OnOpenSource(nSelected, entry, pHost->EditorProgram());
                         });
    m_commands.OnCommand(
        ID_HELP_ON_OFF, [pHost] { pHost->ToggleHelp(); },
        [pHost](CCmdUI& ui) { ui.checked = pHost->IsHelpOn(); });
    m_commands.OnCommand(ID_USER_DEVELOPER_INFORMATION,
                         [pHost] { pHost->ShowUserInformation("NOTE: - "); });
}
