#pragma once

#include "TraceParser.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CScriptIndex;

// Maps what a run's output names to a file and a line of the scripts: each
// step of a Tcl trace, from the outermost, where Tcl counts from:
// - (file "F" line N): line N of F, relative to the run's folder;
// - (procedure "P" line N): counted from the line of the opening brace of
//   P's body, in the file that defines P (the script or a file it sources);
// - ("foreach" body line N) and the other bodies: counted from the line
//   where that body opens, in the command of the step outside it;
// - a command with no frame, or one the rules above cannot place (a body
//   held in a variable, a frame of another kind): found by its text inside
//   the command of the nearest placed step outside it.
// Every place is checked against the script's text, as Tcl's parser splits it.
class CTraceMapper
{
public:
    using FileReader = std::function<bool(const std::string& path, std::string& bytes)>;

    // The run's folder, the script run (for the procedures it and its sourced
    // files define), and how files are read.
    CTraceMapper(std::string folder, std::string scriptPath, FileReader read);
    ~CTraceMapper();

    struct CLocation
    {
        std::string path; // as the run's folder resolves it
        long nLine = 0;   // from 1
        // The link in the output: its line and byte columns [nFrom, nTo).
        long nOutputLine = -1;
        size_t nFrom = 0;
        size_t nTo = 0;
    };

    // The places of a trace's steps, the failing command's first; steps it
    // cannot place are left out.
    std::vector<CLocation> Map(const CTraceParser::CTrace& trace);
    // A plain "F:N:" or "F line N", when F is a file and has line N.
    bool MapPlain(const CTraceParser::CPlainLink& link, CLocation& location);

    // How many sourced files are followed for procedures, at most.
    static constexpr int kMaxSources = 100;

private:
    struct CPlace
    {
        std::string path;
        long nLine = 0;
        const void* pCommand = nullptr; // the indexed command there, when known
    };

    std::string Resolve(const std::string& path) const;
    // The index of a file, read once; nullptr when it cannot be read.
    const CScriptIndex* Index(const std::string& path);
    // Indexes a file and what it sources, collecting the procedures they define.
    void Harvest(const std::string& path);
    bool PlaceStep(const std::vector<CTraceParser::CStep>& steps, size_t nStep,
                   const std::vector<CPlace>& places, CPlace& place);

    std::string m_folder;
    std::string m_scriptPath;
    FileReader m_read;
    std::map<std::string, std::unique_ptr<CScriptIndex>> m_indexes;
    const std::pair<const std::string, std::unique_ptr<CScriptIndex>>* m_pLastIndexed = nullptr;
    bool m_bScriptHarvested = false;
    std::map<std::string, bool> m_harvested;
    int m_nHarvested = 0;
    struct CProcedure
    {
        std::string path;
        long nBodyLine = 0;
    };
    // By name without its leading "::", and by the last part of the name.
    std::multimap<std::string, CProcedure> m_procedures;
    std::multimap<std::string, CProcedure> m_proceduresByTail;
    std::map<std::string, long> m_lineCounts; // for plain places: -1 when unreadable
};
