#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <tcl.h>
#include <unordered_set>
#include <vector>

// What a dry run cannot know, so that it never blames the script for it:
// - a value that came from a recorder, a command nobody defines or a refused
//   one; a step (a top-level command) that met one, or a global variable
//   that such a step set, or read a variable so set, is unsure of its values;
// - the names an earlier failed step may have left unset: a later "can't
//   read" of one of them is that failure's echo, not a mistake of its own.
// Globals are followed by comparing them before and after a step that met an
// unknown value (taken only then), and by read traces on those that hold one.
class CUnknownValues
{
public:
    // globals: the names of the global variables now; arrayGet: what
    // "array get" gives for one (a new reference), or nullptr.
    CUnknownValues(Tcl_Interp* pInterp, std::function<std::vector<std::string>()> globals,
                   std::function<Tcl_Obj*(const std::string& name)> arrayGet);
    ~CUnknownValues();
    CUnknownValues(const CUnknownValues&) = delete;
    CUnknownValues& operator=(const CUnknownValues&) = delete;

    void BeginStep();
    // Ends the innermost step; true when it met a value the run could not know.
    bool EndStep();
    // A value the run could not know came into the steps running now.
    void Met();
    // A step failed: the names in its text may be left unset.
    void Failed(std::string_view commandText);
    // The error is a read of a name an earlier failed step may have left unset.
    bool IsFollowOn(std::string_view message) const;
    // The global holds a value the run could not know.
    bool IsUnsure(const std::string& name) const { return m_unsure.count(name) != 0U; }

private:
    class CSnapshot;
    struct CStep
    {
        bool bMet = false;
        std::shared_ptr<CSnapshot> pBefore;
    };
    static char* OnTrace(void* pData, Tcl_Interp* pInterp, const char* pName1, const char* pName2,
                         int nFlags);
    std::shared_ptr<CSnapshot> Take();
    void MarkUnsure(const std::string& name);

    Tcl_Interp* m_pInterp;
    std::function<std::vector<std::string>()> m_globals;
    std::function<Tcl_Obj*(const std::string& name)> m_arrayGet;
    std::vector<CStep> m_steps;
    std::unordered_set<std::string> m_unsure;
    std::unordered_set<std::string> m_failedNames;
    bool m_bLooking = false; // taking or comparing a snapshot: its reads are the run's own
};
