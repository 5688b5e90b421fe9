#pragma once

#include "UserInteraction.h"

#include <deque>
#include <string>
#include <vector>

// A stand-in for the dialogs: records every message and question exactly and
// answers questions from a queue. Installs itself for its lifetime.
class CScriptedUserInteraction : public CUserInteraction
{
public:
    CScriptedUserInteraction();
    ~CScriptedUserInteraction() override;
    CScriptedUserInteraction(const CScriptedUserInteraction&) = delete;
    CScriptedUserInteraction& operator=(const CScriptedUserInteraction&) = delete;

    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;

    bool AskOpenFileName(const std::string& filter, std::string& path) override;
    bool AskSaveFileName(const std::string& filter, const std::string& defaultExtension,
                         const std::string& proposed, std::string& path) override;

    bool StartProgram(const std::string& program,
                      const std::vector<std::string>& arguments) override;
    bool AskFontFace(std::string& faceName) override;

    // Every program started, as "program|argument|argument".
    std::vector<std::string> m_startedPrograms;
    bool m_bProgramsStart = true;
    // The face the next font dialog returns; empty cancels it.
    std::string m_nextFontFace;

    // The answer to the next question; a question with none queued is answered No
    // and counted as unexpected.
    void QueueAnswer(bool bYes);
    // The path the next file dialog returns; an empty path cancels it. A dialog
    // with none queued is cancelled.
    void QueueFileName(const std::string& path);

    // What each file dialog was asked: "open <filter>" or
    // "save <filter> <extension> <proposed name>".
    std::vector<std::string> m_fileDialogs;

    std::vector<std::string> m_messages;
    std::vector<std::string> m_questions;
    int m_nUnexpectedQuestions = 0;

private:
    std::deque<bool> m_answers;
    std::deque<std::string> m_fileNames;
    bool NextFileName(std::string& path);
    CUserInteraction* m_pPrevious;
};
