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

    // The answer to the next question; a question with none queued is answered No
    // and counted as unexpected.
    void QueueAnswer(bool bYes);

    std::vector<std::string> m_messages;
    std::vector<std::string> m_questions;
    int m_nUnexpectedQuestions = 0;

private:
    std::deque<bool> m_answers;
    CUserInteraction* m_pPrevious;
};
