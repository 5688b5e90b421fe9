#pragma once

#include "StringTable.h"

#include <string>
#include <string_view>
#include <vector>

// What a script defines, as the check's one walk over it finds it: its
// procedures, the variables it sets and the files it sources, each with the
// byte range of the word that names it. The hover, the Variables list's
// tips and a language server's symbols read it, instead of walking the
// script again.
class CScriptOutline
{
public:
    struct CPlace
    {
        long nStart = 0; // byte range of the naming word in the script
        long nEnd = 0;
    };
    struct CProcedure
    {
        std::string name;       // as the proc names it, "::" in front taken off
        std::string parameters; // the proc's argument list as written, when literal
        bool bParametersKnown = false;
        CPlace place;
    };
    struct CVariable
    {
        std::string name; // as written ("a(1)" for an element), "::" in front taken off
        CPlace firstSet;
        bool bSetInLoop = false; // some set of it stands inside a loop's body
    };
    struct CSource
    {
        std::string path; // as written
        CPlace place;
    };

    void AddProcedure(std::string_view name, std::string_view parameters, bool bParametersKnown,
                      CPlace place);
    void AddVariable(std::string_view name, CPlace place, bool bInLoop);
    void AddSource(std::string_view path, CPlace place);
    void Clear();

    const std::vector<CProcedure>& Procedures() const { return m_procedures; }
    const std::vector<CVariable>& Variables() const { return m_variables; }
    const std::vector<CSource>& Sources() const { return m_sources; }
    // nullptr for a name the script does not define.
    const CProcedure* Procedure(std::string_view name) const;
    const CVariable* Variable(std::string_view name) const;

    // Most entries of each kind kept: a generated script may set a million.
    static constexpr size_t kMaxEntries = 100000;

private:
    std::vector<CProcedure> m_procedures;
    std::vector<CVariable> m_variables;
    std::vector<CSource> m_sources;
    CNameMap<size_t> m_procedureIndex;
    CNameMap<size_t> m_variableIndex;
};
