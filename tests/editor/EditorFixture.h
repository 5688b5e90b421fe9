#pragma once

#include "editor/CorvaleDoc.h"
#include "editor/ScriptEdit.h"
#include "platform/ScriptedUserInteraction.h"
#include "support/Palette.h"
#include "support/TempDir.h"

#include <QStringList>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

// An editing pane joined to its document and summary pane as the view joins
// them, with a small help library.
class EditorFixture : public ::testing::Test
{
protected:
    EditorFixture()
    {
        m_dir.Write("list.txt", "model.txt elements.txt");
        m_dir.Write("model.txt", "model:command\nmodel -dims <ndm>\n#\n"
                                 "node:command\nnode <tag> <x> <y>\n#\n"
                                 "-dims:model\nnumber of dimensions\n#\n");
        m_dir.Write("elements.txt", "element:command\nelement <type> <tag> ...\n#\n"
                                    "Truss:element\nelement Truss <tag> <i> <j> <A> <mat>\n#\n"
                                    "lin:element Truss\nthird word help\n#\n");
        m_edit.AttachTo(m_doc, m_summary, m_edit);
        m_edit.resize(600, 300);
        m_edit.LoadHelpFiles(m_dir.Prefix());
    }

    std::uint32_t ColourAt(long nPos) const { return m_edit.GetCharFormatAt(nPos).crTextColor; }
    std::uint32_t EffectsAt(long nPos) const { return m_edit.GetCharFormatAt(nPos).dwEffects; }

    // The colour of every character of [nStart, nEnd) when they agree, else 1.
    std::uint32_t ColourOf(long nStart, long nEnd) const
    {
        const std::uint32_t crFirst = ColourAt(nStart);
        for (long nPos = nStart + 1; nPos < nEnd; ++nPos)
        {
            if (ColourAt(nPos) != crFirst)
                return 1;
        }
        return crFirst;
    }

    long SelStart() const
    {
        long nStart = 0;
        long nEnd = 0;
        m_edit.GetSel(nStart, nEnd);
        return nStart;
    }

    long SelEnd() const
    {
        long nStart = 0;
        long nEnd = 0;
        m_edit.GetSel(nStart, nEnd);
        return nEnd;
    }

    static QStringList Entries(const CEntryList& list)
    {
        QStringList entries;
        for (const std::string& entry : list.Entries())
            entries << QString::fromLatin1(entry.c_str());
        return entries;
    }

    CTempDir m_dir;
    CScriptedUserInteraction m_ui;
    CTextControl m_summary;
    CScriptEdit m_edit;
    CCorvaleDoc m_doc;
};
