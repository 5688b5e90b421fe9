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

void CScriptedUserInteraction::QueueFileName(const std::string& path)
{
    m_fileNames.push_back(path);
}

bool CScriptedUserInteraction::NextFileName(std::string& path)
{
    if (m_fileNames.empty())
        return false;
    path = m_fileNames.front();
    m_fileNames.pop_front();
    return !path.empty();
}

bool CScriptedUserInteraction::AskOpenFileName(const std::string& filter, std::string& path)
{
    m_fileDialogs.push_back("open " + filter);
    return NextFileName(path);
}

bool CScriptedUserInteraction::AskSaveFileName(const std::string& filter,
                                               const std::string& defaultExtension,
                                               const std::string& proposed, std::string& path)
{
    m_fileDialogs.push_back("save " + filter + " " + defaultExtension + " " + proposed);
    return NextFileName(path);
}

bool CScriptedUserInteraction::StartProgram(const std::string& program,
                                            const std::vector<std::string>& arguments)
{
    std::string call = program;
    for (const std::string& argument : arguments)
        call += "|" + argument;
    m_startedPrograms.push_back(call);
    return m_bProgramsStart;
}

bool CScriptedUserInteraction::AskFontFace(std::string& faceName)
{
    if (m_nextFontFace.empty())
        return false;
    faceName = m_nextFontFace;
    m_nextFontFace.clear();
    return true;
}
