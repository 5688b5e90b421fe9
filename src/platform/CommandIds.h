#pragma once

// The numbers that menus, tool bar buttons, accelerators and the dialog bar send.
namespace CommandId
{
// The window framework's standard commands.
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_FILE_PRINT_SETUP = 57606;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_FIND = 57636;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_EDIT_REDO = 57644;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_NEXT_PANE = 57680;
inline constexpr int ID_PREV_PANE = 57681;
inline constexpr int ID_EDIT_REPEAT = 57682;
inline constexpr int ID_VIEW_TOOLBAR = 59392;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;

// The program's own commands.
inline constexpr int ID_REDO_SYNTAX_HIGHLIGHTING = 32772;
inline constexpr int ID_USER_DEVELOPER_INFORMATION = 32774;
inline constexpr int ID_PRINT_PREVIEW = 32775;
inline constexpr int ID_ADVANCED_PRINT_SETUP = 32776;
inline constexpr int ID_USER_INFORMATION = 32777;
inline constexpr int ID_PRINT = 32778;
inline constexpr int ID_START_ANALYSIS = 32779;
inline constexpr int ID_RECENT_FILE = 32782;
inline constexpr int ID_FONTIFY_CURRENT_LINE = 32783;
inline constexpr int ID_COMMENT_SELECTION = 32784;
inline constexpr int ID_UNCOMMENT_SELECTION = 32786;
inline constexpr int ID_HELP_ON_OFF = 32787;
inline constexpr int ID_FONTIFY_LINE = 32788;
inline constexpr int ID_GO_TO_LINE_BOX = 32789;

// Beyond the menus of old: the Script menu, the second tool bar, the panes.
inline constexpr int ID_CHECK_SCRIPT = 33001;
inline constexpr int ID_NEXT_PROBLEM = 33002;
inline constexpr int ID_PREVIOUS_PROBLEM = 33003;
inline constexpr int ID_VIEW_PROBLEMS = 33004;
inline constexpr int ID_RUN_IN_OUTPUT_PANE = 33005;
inline constexpr int ID_STOP_RUN = 33006;
inline constexpr int ID_NEXT_RUN_LOCATION = 33007;
inline constexpr int ID_PREVIOUS_RUN_LOCATION = 33008;
inline constexpr int ID_VIEW_OUTPUT = 33009;
inline constexpr int ID_VIEW_MODEL = 33010;
inline constexpr int ID_QUICK_FIX = 33011;
inline constexpr int ID_GO_TO_DEFINITION = 33012;
inline constexpr int ID_COMPLETE_WHILE_TYPING = 33013;

// The dialog bar's controls.
inline constexpr int IDC_FIND_TEXT = 1000;
inline constexpr int IDC_FIND = 1001;
inline constexpr int IDC_FONT = 1002;
inline constexpr int IDC_PLUS = 1004;
inline constexpr int IDC_MINUS = 1005;
inline constexpr int IDC_LINE_NUMBER = 1015;
inline constexpr int IDC_GO = 1016;
inline constexpr int IDC_VARIABLES = 1017;
inline constexpr int IDC_SOURCES = 1018;
inline constexpr int IDC_OPEN_SOURCE = 1019;
} // namespace CommandId
