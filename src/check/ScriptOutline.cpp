#include "ScriptOutline.h"

namespace
{
std::string_view Unqualified(std::string_view name)
{
    while (name.size() > 2 && name.substr(0, 2) == "::")
        name.remove_prefix(2);
    return name;
}
} // namespace

void CScriptOutline::AddProcedure(std::string_view name, std::string_view parameters,
                                  bool bParametersKnown, CPlace place)
{
    name = Unqualified(name);
    // A procedure defined again is the last definition, as Tcl has it when it runs.
    const auto found = m_procedureIndex.find(name);
    if (found != m_procedureIndex.end())
    {
        CProcedure& procedure = m_procedures[found->second];
        procedure.parameters = parameters;
        procedure.bParametersKnown = bParametersKnown;
        procedure.place = place;
        return;
    }
    if (m_procedures.size() >= kMaxEntries)
        return;
    m_procedureIndex.emplace(std::string(name), m_procedures.size());
    m_procedures.push_back({std::string(name), std::string(parameters), bParametersKnown, place});
}

void CScriptOutline::AddVariable(std::string_view name, CPlace place, bool bInLoop)
{
    name = Unqualified(name);
    const auto found = m_variableIndex.find(name);
    if (found != m_variableIndex.end())
    {
        m_variables[found->second].bSetInLoop = m_variables[found->second].bSetInLoop || bInLoop;
        return;
    }
    if (m_variables.size() >= kMaxEntries)
        return;
    m_variableIndex.emplace(std::string(name), m_variables.size());
    m_variables.push_back({std::string(name), place, bInLoop});
}

void CScriptOutline::AddSource(std::string_view path, CPlace place)
{
    if (m_sources.size() < kMaxEntries)
        m_sources.push_back({std::string(path), place});
}

void CScriptOutline::Clear()
{
    *this = CScriptOutline();
}

const CScriptOutline::CProcedure* CScriptOutline::Procedure(std::string_view name) const
{
    const auto found = m_procedureIndex.find(Unqualified(name));
    return found == m_procedureIndex.end() ? nullptr : &m_procedures[found->second];
}

const CScriptOutline::CVariable* CScriptOutline::Variable(std::string_view name) const
{
    const auto found = m_variableIndex.find(Unqualified(name));
    return found == m_variableIndex.end() ? nullptr : &m_variables[found->second];
}
