#include "CommandSet.h"

#include <array>

namespace
{
constexpr std::string_view kTkCommands[] = {
    "bell",
    "bind",
    "bindtags",
    "bitmap",
    "button",
    "canvas",
    "checkbutton",
    "clipboard",
    "destroy",
    "entry",
    "event",
    "focus",
    "font",
    "frame",
    "grab",
    "grid",
    "image",
    "label",
    "labelframe",
    "listbox",
    "lower",
    "menu",
    "menubutton",
    "message",
    "option",
    "pack",
    "panedwindow",
    "photo",
    "place",
    "radiobutton",
    "raise",
    "scale",
    "scrollbar",
    "selection",
    "send",
    "spinbox",
    "text",
    "tk",
    "tkwait",
    "toplevel",
    "winfo",
    "wm",
    "tk_bisque",
    "tk_chooseColor",
    "tk_chooseDirectory",
    "tk_dialog",
    "tk_focusFollowsMouse",
    "tk_focusNext",
    "tk_focusPrev",
    "tk_getOpenFile",
    "tk_getSaveFile",
    "tk_menuSetFocus",
    "tk_messageBox",
    "tk_optionMenu",
    "tk_popup",
    "tk_setPalette",
    "tk_textCopy",
    "tk_textCut",
    "tk_textPaste",
    "console",
};
constexpr std::string_view kTkPrefixes[] = {"tk::", "ttk::", "::tk::", "::ttk::"};

constexpr std::array kSets = {
    CCommandSet{"tk", kTkCommands, kTkPrefixes},
};
} // namespace

const CCommandSet* CCommandSet::Find(std::string_view name)
{
    for (const CCommandSet& set : kSets)
    {
        if (set.name == name)
            return &set;
    }
    return nullptr;
}

std::string_view CCommandSet::Names()
{
    return "tk";
}
