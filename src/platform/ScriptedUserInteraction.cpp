#include "ScriptedUserInteraction.h"

namespace
{
CUserInteraction* g_pCurrentScripted = nullptr;
}

CScriptedUserInteraction::CScriptedUserInteraction() : m_pPrevious(g_pCurrentScripted)
{
    g_pCurrentScripted = this;
    SetUserInteraction(this);
}

CScriptedUserInteraction::~CScriptedUserInteraction()
{
    g_pCurrentScripted = m_pPrevious;
    SetUserInteraction(m_pPrevious);
}

void CScriptedUserInteraction::ShowMessage(const std::string& text)
{
    m_messages.push_back(text);
}

bool CScriptedUserInteraction::AskYesNo(const std::string& text)
{
    m_questions.push_back(text);
    if (m_answers.empty())
    {
        ++m_nUnexpectedQuestions;
        return false;
    }
    const bool bYes = m_answers.front();
    m_answers.pop_front();
    return bYes;
}

void CScriptedUserInteraction::QueueAnswer(bool bYes)
{
    m_answers.push_back(bYes);
}
