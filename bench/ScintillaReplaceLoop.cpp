#include "ScintillaReplaceLoop.h"

#include <Qsci/qsciscintilla.h>
#include <cstdint>
#include <cstring>

void ScintillaReplaceLoop(QsciScintilla& control, const char* pFind, const char* pReplace)
{
    const auto nFind = static_cast<uintptr_t>(std::strlen(pFind));
    const auto nReplace = static_cast<uintptr_t>(std::strlen(pReplace));
    long nPos = 0;
    for (;;)
    {
        const long nLength = control.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        control.SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE,
                              static_cast<unsigned long>(nPos), nLength);
        control.SendScintilla(QsciScintillaBase::SCI_SETSEARCHFLAGS, 0UL);
        if (control.SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET, nFind, pFind) < 0)
            break;
        control.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, nReplace, pReplace);
        nPos = control.SendScintilla(QsciScintillaBase::SCI_GETTARGETEND);
    }
}
