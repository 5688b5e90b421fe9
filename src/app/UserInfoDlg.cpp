#include "UserInfoDlg.h"

#include "platform/Latin1.h"
#include "platform/UserInteraction.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QTextEdit>
#include <QVBoxLayout>

CUserInfoDlg::CUserInfoDlg(QWidget* pParent) : QDialog(pParent)
{
    setWindowTitle(QStringLiteral("User/Developer Information"));
    m_pText = new QTextEdit(this);
    m_pText->setObjectName(QStringLiteral("1013"));
    m_pText->setReadOnly(true);
    m_pText->setAcceptRichText(false);
    m_pText->setLineWrapMode(QTextEdit::WidgetWidth);
    m_pText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* pNote = new QLabel(
        QStringLiteral("Important :\n````````````````\nRead readmefirst.txt/tcl (using this "
                       "editor) for detailed user and Vorsa developer information."),
        this);
    pNote->setWordWrap(true);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &CUserInfoDlg::accept);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pText, 1);
    pLayout->addWidget(pNote);
    pLayout->addWidget(pButtons);
    resize(520, 460);
}

std::string CUserInfoDlg::InformationText(const std::string& opening)
{
    return opening +
           "Corvale is an editor for the Tcl input scripts of the Vorsa finite-element analysis "
           "program. It reads its settings from corvale.conf: exe, bin, editor and help.\n\n"
           "For Win32 users of Vorsa: besides basic editing, Corvale gives syntax highlighting and "
           "context-sensitive help for Vorsa commands. The window has three panes: the main "
           "editing pane, the command tree pane on the left and the command summary pane at the "
           "bottom. A command's syntax and help appear in the command summary pane when the cursor "
           "is on a command in the editing pane (for example while typing), or when you click the "
           "command in the command tree. Commands can be copied from the command tree and pasted "
           "into the editing pane with Ctrl+V or with the middle mouse button. Change the height "
           "of the summary pane by dragging "
           "the horizontal splitter bar from either end.\n\n" +
           std::string(62, '_') +
           "\n\nInformation for VORSA Developers:\n"
           "New commands are added through *.txt files in the editor's directory. The "
           "existing library files are named in list.txt. Add a new command to an existing library "
           "file, or to a new one whose name you then add to list.txt. A command entry is a first "
           "line mycommand:type (for example element:command or Truss:element), then help lines "
           "in any format, then a separator line #. The existing files serve as examples.\n\n"
           "Questions and corrections: your Vorsa support contact.";
}

int CUserInfoDlg::exec()
{
    m_pText->setPlainText(ToQString(m_strText));
    return QDialog::exec();
}

// The exchange takes at most 2,000 characters; a longer text keeps the dialog open.
void CUserInfoDlg::accept()
{
    m_strText = FromQString(m_pText->toPlainText());
    if (static_cast<int>(m_strText.size()) > kMaxText)
    {
        UserInteraction().ShowMessage("Please enter no more than 2000 characters.");
        m_pText->setFocus();
        return;
    }
    QDialog::accept();
}
