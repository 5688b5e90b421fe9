#include "CommandTable.h"

#include "platform/CommandIds.h"

#include <QString>

using namespace CommandId;

QList<QKeySequence> CCommandInfo::Shortcuts() const
{
    QList<QKeySequence> shortcuts;
    if (keys == nullptr)
        return shortcuts;
    for (const QString& key : QString::fromLatin1(keys).split(QLatin1Char('|')))
        shortcuts << QKeySequence::fromString(key, QKeySequence::PortableText);
    return shortcuts;
}

// Texts as the resources have them: leading blanks and spellings included.
const std::vector<CCommandInfo>& CommandTable()
{
    static const std::vector<CCommandInfo> s_table = {
        {ID_FILE_NEW, "&New\tCtrl+N", "Create a new document", "New", "new", "Ctrl+N"},
        {ID_FILE_OPEN, "&Open...\tCtrl+O", "Open an existing document", "Open", "open", "Ctrl+O"},
        {ID_FILE_SAVE, "&Save\tCtrl+S", "Save the active document", "Save", "save", "Ctrl+S"},
        {ID_FILE_SAVE_AS, "Save &As...", "Save the active document with a new name", nullptr,
         nullptr, nullptr},
        {ID_FILE_PRINT, "&Print...\tCtrl+P", "Print the active document", nullptr, nullptr,
         "Ctrl+P"},
        {ID_FILE_PRINT_SETUP, "P&rint Setup...", "Change the printer and printing options", nullptr,
         nullptr, nullptr},
        {ID_PRINT_PREVIEW, "Print Pre&view", "Print Preview", " Print Preview", "preview", nullptr},
        {ID_ADVANCED_PRINT_SETUP, "Advanced Print Setup..", "Print Options", nullptr, nullptr,
         nullptr},
        {ID_RECENT_FILE, "Recent File", "Open this document", nullptr, nullptr, nullptr},
        {ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents", nullptr, nullptr,
         nullptr},
        {ID_EDIT_UNDO, "&Undo\tCtrl+Z", "Undo the last action", nullptr, nullptr,
         "Ctrl+Z|Alt+Backspace", "Undo"},
        {ID_EDIT_REDO, "&Redo\tCtrl+Y", "Redo the previously undone action", nullptr, nullptr,
         "Ctrl+Y|Ctrl+Shift+Z", "Redo"},
        {ID_EDIT_CUT, "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard", "Cut", "cut",
         "Ctrl+X|Shift+Del", "Cut"},
        {ID_EDIT_COPY, "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard", "Copy",
         "copy", "Ctrl+C|Ctrl+Ins", "Copy"},
        {ID_EDIT_PASTE, "&Paste\tCtrl+V", "Insert Clipboard contents", "Paste", "paste",
         "Ctrl+V|Shift+Ins", "Paste"},
        {ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar", nullptr, nullptr, nullptr},
        {ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar", nullptr, nullptr,
         nullptr},
        {ID_APP_ABOUT, "&About Corvale...",
         "Display program information, version number and copyright", "About", "about", nullptr},
        {ID_USER_DEVELOPER_INFORMATION, "User/Developer &Information", "User Information", nullptr,
         nullptr, nullptr},
        {ID_PRINT, nullptr, "Print the active document", " Print", "print", nullptr},
        {ID_REDO_SYNTAX_HIGHLIGHTING, nullptr, "Redo syntax highlighting",
         " Redo sytax highlighting", "redo_syntax", nullptr},
        {ID_FONTIFY_CURRENT_LINE, nullptr, "Redo syntax highlighting for the current line",
         " Sytax highlight current line", "fontify_line", nullptr},
        {ID_COMMENT_SELECTION, nullptr, "Comment Selection", "Comment Selection", "comment",
         nullptr, "Comment"},
        {ID_UNCOMMENT_SELECTION, nullptr, "Uncomment Selection", " Uncomment Selection",
         "uncomment", nullptr, "Uncomment"},
        // The popup menu's "Fontify line": the same as the tool bar's current-line button.
        {ID_FONTIFY_LINE, nullptr, "", nullptr, nullptr, nullptr, "Fontify line"},
        {ID_START_ANALYSIS, nullptr, "Start Analysis", " Run Vorsa", "run", nullptr},
        {ID_HELP_ON_OFF, nullptr, "Turn On - Off help", " Turn on or off help", "help_toggle",
         nullptr},
        {ID_USER_INFORMATION, nullptr, "User Information", "User information", "user_info",
         nullptr},
        // The pane accelerators carry no menu item and no button.
        {ID_NEXT_PANE, nullptr, "Switch to the next window pane", nullptr, nullptr, "F6"},
        {ID_PREV_PANE, nullptr, "Switch back to the previous window pane", nullptr, nullptr,
         "Shift+F6"},
        // So are the search keys every editor has.
        {ID_EDIT_FIND, nullptr, "Find the specified text", nullptr, nullptr, "Ctrl+F"},
        {ID_EDIT_REPEAT, nullptr, "Find the next occurrence of the last search text", nullptr,
         nullptr, "F3"},
        {ID_GO_TO_LINE_BOX, nullptr, "Type a line number to go to", nullptr, nullptr, "Ctrl+G"},
        // The Script menu and the panes, beyond the menus of old.
        {ID_CHECK_SCRIPT, "&Check Script\tF7", "Check the script against Tcl and the library",
         "Check Script", "check_script", "F7"},
        {ID_NEXT_PROBLEM, "Next &Problem\tF8", "Go to the next problem the analysis found", nullptr,
         nullptr, "F8"},
        {ID_PREVIOUS_PROBLEM, "Pre&vious Problem\tShift+F8",
         "Go to the previous problem the analysis found", nullptr, nullptr, "Shift+F8"},
        {ID_QUICK_FIX, "&Quick Fix\tCtrl+.", "Apply the fix the analysis offers at the caret",
         nullptr, nullptr, "Ctrl+."},
        {ID_GO_TO_DEFINITION, "Go to &Definition\tF12",
         "Go to where the procedure, variable, tag or file at the caret is defined", nullptr,
         nullptr, "F12"},
        {ID_COMPLETE_WHILE_TYPING, "Complete While &Typing",
         "Offer commands, flags, choices and tags in a list while a script is typed", nullptr,
         nullptr, nullptr},
        {ID_VIEW_PROBLEMS, "&Problems", "Show or hide the Problems pane", nullptr, nullptr,
         nullptr},
        {ID_RUN_IN_OUTPUT_PANE, "&Run in Output Pane\tF5",
         "Save the script and run it through Vorsa, with its output in the Output pane",
         "Run in Output Pane", "run_pane", "F5"},
        {ID_STOP_RUN, "S&top Run\tShift+F5", "Stop the run and everything it started", "Stop Run",
         "stop_run", "Shift+F5"},
        {ID_NEXT_RUN_LOCATION, "Next Run &Location\tF4",
         "Go to the next place in the scripts that the run's output names", nullptr, nullptr, "F4"},
        {ID_PREVIOUS_RUN_LOCATION, "Previous Run L&ocation\tShift+F4",
         "Go to the previous place in the scripts that the run's output names", nullptr, nullptr,
         "Shift+F4"},
        {ID_VIEW_OUTPUT, "&Output", "Show or hide the Output pane", nullptr, nullptr, nullptr},
        {ID_VIEW_MODEL, "&Model View\tF9",
         "Show or hide the model the dry run of the script builds", "Model View", "model_view",
         "F9"},
    };
    return s_table;
}

const CCommandInfo* CommandInfo(int nId)
{
    for (const CCommandInfo& info : CommandTable())
    {
        if (info.nId == nId)
            return &info;
    }
    return nullptr;
}

const std::vector<CMenuLayout>& MenuLayout()
{
    static const std::vector<CMenuLayout> s_menus = {
        {"&File",
         {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, kSeparator, ID_FILE_PRINT,
          ID_FILE_PRINT_SETUP, ID_PRINT_PREVIEW, ID_ADVANCED_PRINT_SETUP, kSeparator,
          ID_RECENT_FILE, kSeparator, ID_APP_EXIT}},
        {"&Edit",
         {ID_EDIT_UNDO, ID_EDIT_REDO, kSeparator, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
          kSeparator}},
        {"&View", {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_PROBLEMS, ID_VIEW_OUTPUT}},
        {"&Script",
         {ID_CHECK_SCRIPT, ID_NEXT_PROBLEM, ID_PREVIOUS_PROBLEM, ID_QUICK_FIX, kSeparator,
          ID_GO_TO_DEFINITION, ID_COMPLETE_WHILE_TYPING, kSeparator, ID_RUN_IN_OUTPUT_PANE,
          ID_STOP_RUN, ID_NEXT_RUN_LOCATION, ID_PREVIOUS_RUN_LOCATION, kSeparator, ID_VIEW_MODEL}},
        {"&Help", {ID_APP_ABOUT, ID_USER_DEVELOPER_INFORMATION}},
    };
    return s_menus;
}

const std::vector<int>& PopupLayout()
{
    static const std::vector<int> s_items = {
        ID_FONTIFY_LINE, kSeparator,   ID_COMMENT_SELECTION, ID_UNCOMMENT_SELECTION, kSeparator,
        ID_EDIT_CUT,     ID_EDIT_COPY, ID_EDIT_PASTE,        ID_EDIT_UNDO,           ID_EDIT_REDO,
    };
    return s_items;
}

// The second tool bar, beside the first: the script's own commands.
const std::vector<int>& ScriptToolBarLayout()
{
    static const std::vector<int> s_buttons = {ID_CHECK_SCRIPT, ID_RUN_IN_OUTPUT_PANE, ID_STOP_RUN,
                                               ID_VIEW_MODEL};
    return s_buttons;
}

// The sixteen buttons.
const std::vector<int>& ToolBarLayout()
{
    static const std::vector<int> s_buttons = {
        ID_FILE_NEW,
        ID_FILE_OPEN,
        ID_FILE_SAVE,
        kSeparator,
        ID_EDIT_CUT,
        ID_EDIT_COPY,
        ID_EDIT_PASTE,
        kSeparator,
        ID_PRINT,
        ID_PRINT_PREVIEW,
        kSeparator,
        ID_REDO_SYNTAX_HIGHLIGHTING,
        ID_FONTIFY_CURRENT_LINE,
        kSeparator,
        ID_COMMENT_SELECTION,
        ID_UNCOMMENT_SELECTION,
        kSeparator,
        ID_START_ANALYSIS,
        kSeparator,
        ID_HELP_ON_OFF,
        ID_APP_ABOUT,
        ID_USER_INFORMATION,
    };
    return s_buttons;
}
