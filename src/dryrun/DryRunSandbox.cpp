#include "DryRunSandbox.h"

#include "check/TclLibrary.h"
#include "text/Utf8Detector.h"
#include "trace/TraceMapper.h"
#include "trace/TraceParser.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <tcl.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace fs = std::filesystem;

namespace
{
CDryRunSandbox* g_pCurrent = nullptr;

// The longest word of a call that is sent whole, and the longest value.
constexpr size_t kMaxWordBytes = 4096;
constexpr size_t kMaxValueBytes = 1000;
constexpr size_t kMaxVariables = 10000;
constexpr long kHarvestMs = 200;

// Commands of the safe interpreter that would wait or reach out of it.
const char* const kHiddenHere[] = {"after", "interp", "update", "vwait"};

std::string_view View(Tcl_Obj* pObj)
{
    int nLength = 0;
    const char* p = Tcl_GetStringFromObj(pObj, &nLength);
    return {p, static_cast<size_t>(nLength)};
}

// The words of the list a script of the interpreter returns.
std::unordered_set<std::string> NamesOf(Tcl_Interp* pInterp, const char* pScript)
{
    std::unordered_set<std::string> names;
    if (Tcl_Eval(pInterp, pScript) != TCL_OK)
        return names;
    int nItems = 0;
    Tcl_Obj** ppItems = nullptr;
    if (Tcl_ListObjGetElements(nullptr, Tcl_GetObjResult(pInterp), &nItems, &ppItems) == TCL_OK)
    {
        for (int i = 0; i < nItems; ++i)
            names.emplace(View(ppItems[i]));
    }
    Tcl_ResetResult(pInterp);
    return names;
}

// A long list whose text Tcl has not made yet: its first elements only, so
// that the harvest never makes the text of a list of a million elements.
// False when the value is taken whole.
bool CutList(Tcl_Obj* pValue, std::string& prefix)
{
    int nLength = 0;
    if (pValue->bytes != nullptr || pValue->typePtr == nullptr ||
        std::strcmp(pValue->typePtr->name, "list") != 0 ||
        Tcl_ListObjLength(nullptr, pValue, &nLength) != TCL_OK || nLength <= 64)
        return false;
    Tcl_Obj* pFirst = Tcl_NewListObj(0, nullptr);
    Tcl_IncrRefCount(pFirst);
    size_t nBytes = 0;
    for (int i = 0; i < nLength && nBytes <= kMaxValueBytes; ++i)
    {
        Tcl_Obj* pElement = nullptr;
        Tcl_ListObjIndex(nullptr, pValue, i, &pElement);
        if (pElement == nullptr || (pElement->bytes == nullptr && pElement->typePtr != nullptr &&
                                    std::strcmp(pElement->typePtr->name, "list") == 0))
            break; // a list inside: its text could be as long
        nBytes += View(pElement).size() + 1;
        Tcl_ListObjAppendElement(nullptr, pFirst, pElement);
    }
    prefix = View(pFirst);
    Tcl_DecrRefCount(pFirst);
    return true;
}

Tcl_Time TimeFromNow(long nMs)
{
    Tcl_Time now;
    Tcl_GetTime(&now);
    long long nMicro = static_cast<long long>(now.usec) + static_cast<long long>(nMs) * 1000;
    now.sec += static_cast<long>(nMicro / 1000000);
    now.usec = static_cast<long>(nMicro % 1000000);
    return now;
}

bool IsInside(const fs::path& path, const fs::path& folder)
{
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p)
    {
        if (f->empty())
            continue; // a trailing separator
        if (p == path.end() || *p != *f)
            return false;
    }
    return true;
}
} // namespace

CDryRunSandbox::CDryRunSandbox(std::vector<CLibraryCommand> libraryCommands,
                               const COptions& options, DryRunProtocol::CWriter& writer)
    : m_libraryCommands(std::move(libraryCommands)), m_options(options), m_writer(writer)
{
    StartTclLibrary();
}

CDryRunSandbox::~CDryRunSandbox()
{
    for (Tcl_Obj* pObj : {m_pInfo, m_pFrame, m_pTypeKey, m_pFileKey, m_pLineKey, m_pCommandKey})
    {
        if (pObj != nullptr)
            Tcl_DecrRefCount(pObj);
    }
    if (m_pMaster != nullptr)
        Tcl_DeleteInterp(m_pMaster);
    if (m_nMemoryFd >= 0)
        close(m_nMemoryFd);
    if (g_pCurrent == this)
        g_pCurrent = nullptr;
}

CDryRunSandbox* CDryRunSandbox::Current()
{
    return g_pCurrent;
}

void CDryRunSandbox::SetUp()
{
    m_pMaster = Tcl_CreateInterp();
    m_pChild = Tcl_CreateChild(m_pMaster, "dryrun", 1);
    for (const char* pName : kHiddenHere)
        Tcl_HideCommand(m_pChild, pName, pName);
    m_hidden = NamesOf(m_pMaster, "interp hidden dryrun");
    // What the safe interpreter has of its own stays: the library never
    // replaces a command of Tcl.
    const std::unordered_set<std::string> own = NamesOf(m_pChild, "info commands");
    for (const CLibraryCommand& command : m_libraryCommands)
    {
        const std::string& name = command.name;
        if (own.count(name) == 0U && name != "source" && name != "puts" && name != "unknown")
            Tcl_CreateObjCommand(m_pChild, name.c_str(),
                                 command.bBody ? &CDryRunSandbox::RecordWithBody
                                               : &CDryRunSandbox::Record,
                                 this, nullptr);
    }
    Tcl_CreateObjCommand(m_pChild, "unknown", &CDryRunSandbox::Unknown, this, nullptr);
    Tcl_CreateObjCommand(m_pChild, "source", &CDryRunSandbox::Source, this, nullptr);
    Tcl_CreateObjCommand(m_pChild, "puts", &CDryRunSandbox::Puts, this, nullptr);
    m_startGlobals = NamesOf(m_pChild, "info globals");
    m_startGlobals.emplace("errorInfo");
    m_startGlobals.emplace("errorCode");
    Tcl_ResetResult(m_pChild);
    const auto keep = [](const char* pText)
    {
        Tcl_Obj* pObj = Tcl_NewStringObj(pText, -1);
        Tcl_IncrRefCount(pObj);
        return pObj;
    };
    m_pInfo = keep("info");
    m_pFrame = keep("frame");
    m_pTypeKey = keep("type");
    m_pFileKey = keep("file");
    m_pLineKey = keep("line");
    m_pCommandKey = keep("cmd");
}

int CDryRunSandbox::AddFile(const std::string& path, const std::string& frameName)
{
    const int nFile = static_cast<int>(m_files.size());
    m_files.push_back(path);
    m_texts.emplace_back();
    m_writer.File(nFile, path);
    m_fileByFrameName[frameName] = nFile;
    return nFile;
}

bool CDryRunSandbox::LineHolds(int nFile, long nLine, std::string_view command) const
{
    if (nFile < 0 || static_cast<size_t>(nFile) >= m_texts.size() || nLine < 1)
        return false;
    const std::string& text = m_texts[static_cast<size_t>(nFile)];
    size_t nStart = 0;
    for (long n = 1; n < nLine; ++n)
    {
        nStart = text.find('\n', nStart);
        if (nStart == std::string::npos)
            return false;
        ++nStart;
    }
    const size_t nEnd = std::min(text.find('\n', nStart), text.size());
    const std::string_view line = std::string_view(text).substr(nStart, nEnd - nStart);
    const std::string_view first = command.substr(0, command.find('\n'));
    return !first.empty() && line.find(first) != std::string_view::npos;
}

CDryRunPlace CDryRunSandbox::Here()
{
    CDryRunPlace place;
    if (m_pChild == nullptr)
        return place;
    Tcl_Obj* depthArgs[] = {m_pInfo, m_pFrame};
    if (Tcl_EvalObjv(m_pChild, 2, depthArgs, TCL_EVAL_GLOBAL) != TCL_OK)
        return place;
    int nDepth = 0;
    Tcl_GetIntFromObj(nullptr, Tcl_GetObjResult(m_pChild), &nDepth);
    m_nLastLevel = nDepth;
    // The innermost frame of a file: a loop's or a procedure's body counts
    // from its file; an evaluated string does not, the command that ran it does.
    for (int nLevel = nDepth; nLevel >= 1 && place.nFile < 0; --nLevel)
    {
        Tcl_Obj* pLevel = Tcl_NewIntObj(nLevel);
        Tcl_IncrRefCount(pLevel);
        Tcl_Obj* frameArgs[] = {m_pInfo, m_pFrame, pLevel};
        const int nCode = Tcl_EvalObjv(m_pChild, 3, frameArgs, TCL_EVAL_GLOBAL);
        Tcl_DecrRefCount(pLevel);
        if (nCode != TCL_OK)
            break;
        Tcl_Obj* pDict = Tcl_GetObjResult(m_pChild);
        Tcl_IncrRefCount(pDict);
        Tcl_Obj* pType = nullptr;
        Tcl_Obj* pFile = nullptr;
        Tcl_Obj* pLine = nullptr;
        const bool bTyped =
            Tcl_DictObjGet(nullptr, pDict, m_pTypeKey, &pType) == TCL_OK && pType != nullptr;
        if (bTyped && View(pType) == "eval" &&
            Tcl_DictObjGet(nullptr, pDict, m_pLineKey, &pLine) == TCL_OK && pLine != nullptr)
        {
            int nLine = 0;
            Tcl_Obj* pCommand = nullptr;
            Tcl_GetIntFromObj(nullptr, pLine, &nLine);
            Tcl_DictObjGet(nullptr, pDict, m_pCommandKey, &pCommand);
            for (const CBody& body : m_bodies)
            {
                if (nLine <= 0 || nLevel <= body.nCommandLevel)
                    continue;
                // The body's own commands are counted from it; one deeper may
                // be in a literal body inside it (also counted from it) or in
                // an evaluated string (not): the text there tells.
                const long nAt = body.opening.nLine + nLine - 1;
                if (body.nCommandLevel + 1 == nLevel ||
                    (pCommand != nullptr && LineHolds(body.opening.nFile, nAt, View(pCommand))))
                {
                    place.nFile = body.opening.nFile;
                    place.nLine = nAt;
                }
            }
        }
        if (place.nFile < 0 && bTyped && View(pType) == "source" &&
            Tcl_DictObjGet(nullptr, pDict, m_pFileKey, &pFile) == TCL_OK && pFile != nullptr &&
            Tcl_DictObjGet(nullptr, pDict, m_pLineKey, &pLine) == TCL_OK && pLine != nullptr)
        {
            const auto found = m_fileByFrameName.find(std::string(View(pFile)));
            int nLine = 0;
            if (found != m_fileByFrameName.end() &&
                Tcl_GetIntFromObj(nullptr, pLine, &nLine) == TCL_OK && nLine > 0)
            {
                place.nFile = found->second;
                place.nLine = nLine;
            }
        }
        Tcl_DecrRefCount(pDict);
    }
    Tcl_ResetResult(m_pChild);
    return place;
}

bool CDryRunSandbox::Write(CDryRunCall::EKind kind, int nArgs, Tcl_Obj* const* ppArgs)
{
    if (!m_limit.empty())
        return false;
    if (++m_nCalls > m_options.nMaxCalls)
    {
        StopFor("calls", "the script made more than " + std::to_string(m_options.nMaxCalls) +
                             " calls of the library's commands");
        return false;
    }
    if (m_writer.BytesWritten() > m_options.nMaxAnswerBytes)
    {
        StopFor("output", "the script's calls came to more than " +
                              std::to_string(m_options.nMaxAnswerBytes >> 20) + " MB");
        return false;
    }
    m_lastPlace = Here();
    std::vector<std::string_view> words;
    words.reserve(static_cast<size_t>(nArgs));
    for (int i = 0; i < nArgs; ++i)
    {
        std::string_view word = View(ppArgs[i]);
        if (word.size() > kMaxWordBytes)
            word = word.substr(0, kMaxWordBytes);
        words.push_back(word);
    }
    m_writer.Call(kind, nArgs, words.data(), m_lastPlace);
    return true;
}

int CDryRunSandbox::StopFor(const std::string& kind, const std::string& message)
{
    if (m_limit.empty())
    {
        m_limit = kind;
        m_limitMessage = message;
        m_limitPlace = Here();
    }
    // A limit of Tcl's own is one no script can catch.
    Tcl_Time past{0, 0};
    Tcl_LimitTypeSet(m_pChild, TCL_LIMIT_TIME);
    Tcl_LimitSetTime(m_pChild, &past);
    Tcl_LimitCheck(m_pChild);
    return TCL_ERROR;
}

int CDryRunSandbox::Record(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs)
{
    auto* pThis = static_cast<CDryRunSandbox*>(pData);
    if (!pThis->Write(CDryRunCall::EKind::Library, nArgs, ppArgs))
        return TCL_ERROR;
    Tcl_ResetResult(pInterp);
    return TCL_OK;
}

int CDryRunSandbox::RecordWithBody(void* pData, Tcl_Interp* pInterp, int nArgs,
                                   Tcl_Obj* const* ppArgs)
{
    auto* pThis = static_cast<CDryRunSandbox*>(pData);
    if (!pThis->Write(CDryRunCall::EKind::Library, nArgs, ppArgs))
        return TCL_ERROR;
    Tcl_ResetResult(pInterp);
    if (nArgs < 2)
        return TCL_OK;
    // The body opens on the command's line, after the line breaks of the words before it.
    CBody body{pThis->m_nLastLevel, pThis->m_lastPlace};
    for (int i = 1; i + 1 < nArgs; ++i)
    {
        const std::string_view word = View(ppArgs[i]);
        body.opening.nLine += static_cast<long>(std::count(word.begin(), word.end(), '\n'));
    }
    const bool bPlaced = body.opening.nFile >= 0;
    if (bPlaced)
        pThis->m_bodies.push_back(body);
    const int nCode = Tcl_EvalObjEx(pInterp, ppArgs[nArgs - 1], 0);
    if (bPlaced)
        pThis->m_bodies.pop_back();
    if (nCode == TCL_OK)
        Tcl_ResetResult(pInterp);
    return nCode;
}

int CDryRunSandbox::Unknown(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs)
{
    auto* pThis = static_cast<CDryRunSandbox*>(pData);
    if (nArgs < 2)
        return TCL_OK;
    const std::string name(View(ppArgs[1]));
    const bool bRefused = pThis->m_hidden.count(name) != 0U;
    if (!pThis->Write(bRefused ? CDryRunCall::EKind::Refused : CDryRunCall::EKind::Unknown,
                      nArgs - 1, ppArgs + 1))
        return TCL_ERROR;
    Tcl_ResetResult(pInterp);
    if (name == "exit")
    {
        // The script's own end: nothing after it runs.
        pThis->m_bExited = true;
        return pThis->StopFor("exit", "the script called exit");
    }
    return TCL_OK;
}

int CDryRunSandbox::Puts(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs)
{
    auto* pThis = static_cast<CDryRunSandbox*>(pData);
    // puts ?-nonewline? ?channelId? string
    int nFirst = 1;
    bool bNewline = true;
    if (nArgs >= 3 && View(ppArgs[1]) == "-nonewline")
    {
        bNewline = false;
        nFirst = 2;
    }
    if (nArgs - nFirst < 1 || nArgs - nFirst > 2)
    {
        Tcl_WrongNumArgs(pInterp, 1, ppArgs, "?-nonewline? ?channelId? string");
        return TCL_ERROR;
    }
    std::string text(View(ppArgs[nArgs - 1]));
    if (bNewline)
        text += '\n';
    const long long nRoom =
        static_cast<long long>(DryRunProtocol::kMaxOutputBytes) - pThis->m_nOutputBytes;
    if (nRoom <= 0)
        return TCL_OK;
    if (static_cast<long long>(text.size()) > nRoom)
        text.resize(static_cast<size_t>(nRoom));
    pThis->m_nOutputBytes += static_cast<long long>(text.size());
    pThis->m_writer.Puts(text);
    Tcl_ResetResult(pInterp);
    return TCL_OK;
}

int CDryRunSandbox::Source(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs)
{
    auto* pThis = static_cast<CDryRunSandbox*>(pData);
    // source ?-encoding name? fileName
    const char* pEncoding = nullptr;
    std::string encoding;
    if (nArgs == 4 && View(ppArgs[1]) == "-encoding")
    {
        encoding = View(ppArgs[2]);
        pEncoding = encoding.c_str();
    }
    else if (nArgs != 2)
    {
        Tcl_WrongNumArgs(pInterp, 1, ppArgs, "?-encoding name? fileName");
        return TCL_ERROR;
    }
    const std::string name(View(ppArgs[nArgs - 1]));
    const auto refuse = [&](const std::string& why)
    {
        Tcl_SetObjResult(pInterp,
                         Tcl_ObjPrintf("couldn't read file \"%s\": %s", name.c_str(), why.c_str()));
        return TCL_ERROR;
    };
    if (pThis->m_nSources >= pThis->m_options.nMaxSources)
        return refuse("a dry run reads at most " + std::to_string(pThis->m_options.nMaxSources) +
                      " sourced files");
    std::error_code error;
    fs::path path = fs::path(name);
    if (path.is_relative())
        path = fs::path(pThis->m_folder) / path;
    const fs::path resolved = fs::canonical(path, error);
    if (error)
        return refuse("no such file in the script's folder");
    if (!IsInside(resolved, fs::path(pThis->m_folder)))
        return refuse("a dry run reads only files in the script's folder");
    struct stat status
    {
    };
    if (stat(resolved.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return refuse("not a regular file");
    if (status.st_size > pThis->m_options.nMaxSourceBytes)
        return refuse("larger than a dry run reads");
    ++pThis->m_nSources;
    Tcl_Obj* pPath = Tcl_NewStringObj(resolved.c_str(), -1);
    Tcl_IncrRefCount(pPath);
    Tcl_Obj* pNormal = Tcl_FSGetNormalizedPath(nullptr, pPath);
    const int nFile = pThis->AddFile(
        resolved.string(), pNormal != nullptr ? std::string(View(pNormal)) : resolved.string());
    std::string& bytes = pThis->m_texts[static_cast<size_t>(nFile)];
    std::ifstream in(resolved, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (pEncoding == nullptr)
        pEncoding = CUtf8Detector::IsUtf8(bytes) ? "utf-8" : "iso8859-1";
    const int nCode = Tcl_FSEvalFileEx(pInterp, pPath, pEncoding);
    Tcl_DecrRefCount(pPath);
    return nCode;
}

void CDryRunSandbox::WriteVariables()
{
    // A trace on a variable could run a script as it is read: the harvest
    // has a time limit of its own.
    Tcl_LimitTypeReset(m_pChild, TCL_LIMIT_TIME);
    Tcl_Time until = TimeFromNow(kHarvestMs);
    Tcl_LimitTypeSet(m_pChild, TCL_LIMIT_TIME);
    Tcl_LimitSetTime(m_pChild, &until);
    if (Tcl_Eval(m_pChild, "lsort [info globals]") != TCL_OK)
        return;
    Tcl_Obj* pNames = Tcl_GetObjResult(m_pChild);
    Tcl_IncrRefCount(pNames);
    int nNames = 0;
    Tcl_Obj** ppNames = nullptr;
    size_t nWritten = 0;
    const auto write = [&](const std::string& name, Tcl_Obj* pValue)
    {
        std::string prefix;
        const bool bListCut = CutList(pValue, prefix);
        std::string_view value = bListCut ? std::string_view(prefix) : View(pValue);
        const bool bCut = bListCut || value.size() > kMaxValueBytes;
        if (value.size() > kMaxValueBytes)
            value = value.substr(0, kMaxValueBytes);
        m_writer.Variable(name, value, bCut);
        ++nWritten;
    };
    if (Tcl_ListObjGetElements(nullptr, pNames, &nNames, &ppNames) == TCL_OK)
    {
        for (int i = 0; i < nNames && nWritten < kMaxVariables; ++i)
        {
            const std::string name(View(ppNames[i]));
            if (m_startGlobals.count(name) != 0U)
                continue;
            Tcl_Obj* pValue = Tcl_GetVar2Ex(m_pChild, name.c_str(), nullptr, TCL_GLOBAL_ONLY);
            if (pValue != nullptr)
            {
                write(name, pValue);
                continue;
            }
            Tcl_Obj* arrayGet[] = {Tcl_NewStringObj("array", -1), Tcl_NewStringObj("get", -1),
                                   Tcl_NewStringObj(name.c_str(), -1)};
            for (Tcl_Obj* pObj : arrayGet)
                Tcl_IncrRefCount(pObj);
            if (Tcl_EvalObjv(m_pChild, 3, arrayGet, TCL_EVAL_GLOBAL) == TCL_OK)
            {
                Tcl_Obj* pPairs = Tcl_GetObjResult(m_pChild);
                Tcl_IncrRefCount(pPairs);
                int nItems = 0;
                Tcl_Obj** ppItems = nullptr;
                if (Tcl_ListObjGetElements(nullptr, pPairs, &nItems, &ppItems) == TCL_OK)
                {
                    for (int k = 0; k + 1 < nItems && nWritten < kMaxVariables; k += 2)
                        write(name + "(" + std::string(View(ppItems[k])) + ")", ppItems[k + 1]);
                }
                Tcl_DecrRefCount(pPairs);
            }
            for (Tcl_Obj* pObj : arrayGet)
                Tcl_DecrRefCount(pObj);
        }
    }
    Tcl_DecrRefCount(pNames);
}

int CDryRunSandbox::Run(const std::string& scriptPath, const std::string& text)
{
    const auto start = std::chrono::steady_clock::now();
    g_pCurrent = this;
    m_writer.Version();
    SetUp();
    std::error_code error;
    fs::path script = fs::absolute(fs::path(scriptPath), error);
    m_scriptPath = script.lexically_normal().string();
    const fs::path folder = fs::canonical(script.parent_path(), error);
    m_folder = error ? script.parent_path().lexically_normal().string() : folder.string();
    m_text = text;

    // Tcl reads the script from memory by a name of its own, so that every
    // command it runs knows its file and line, as in a sourced file.
#ifdef __linux__
    m_nMemoryFd = memfd_create("corvale-dryrun", MFD_CLOEXEC);
#endif
    bool bReady = m_nMemoryFd >= 0;
    for (size_t nDone = 0; bReady && nDone < text.size();)
    {
        const ssize_t n = write(m_nMemoryFd, text.data() + nDone, text.size() - nDone);
        bReady = n > 0;
        nDone += n > 0 ? static_cast<size_t>(n) : 0;
    }
    if (!bReady)
    {
        AddFile(m_scriptPath, m_scriptPath);
        m_writer.Error("the dry run could not hold the script in memory", {});
        m_writer.End(0);
        m_writer.Flush();
        return 1;
    }
    m_mainName = "/dev/fd/" + std::to_string(m_nMemoryFd);
    Tcl_Obj* pMain = Tcl_NewStringObj(m_mainName.c_str(), -1);
    Tcl_IncrRefCount(pMain);
    Tcl_Obj* pNormal = Tcl_FSGetNormalizedPath(nullptr, pMain);
    AddFile(m_scriptPath, pNormal != nullptr ? std::string(View(pNormal)) : m_mainName);
    m_fileByFrameName[m_mainName] = 0;
    m_texts[0] = m_text;

    Tcl_Time until = TimeFromNow(m_options.nTimeLimitMs);
    Tcl_LimitTypeSet(m_pChild, TCL_LIMIT_TIME);
    Tcl_LimitSetTime(m_pChild, &until);
    Tcl_LimitSetGranularity(m_pChild, TCL_LIMIT_TIME, 1);
    const int nCode =
        Tcl_FSEvalFileEx(m_pChild, pMain, CUtf8Detector::IsUtf8(text) ? "utf-8" : "iso8859-1");
    Tcl_DecrRefCount(pMain);
    ReportEnd(nCode);
    WriteVariables();
    const long nMs = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count());
    m_writer.End(nMs);
    m_writer.Flush();
    g_pCurrent = nullptr;
    return nCode == TCL_OK || m_bExited ? 0 : 1;
}

void CDryRunSandbox::ReportEnd(int nCode)
{
    if (nCode == TCL_OK || m_bExited)
        return;
    const bool bTclLimit = m_limit.empty() && Tcl_LimitExceeded(m_pChild) != 0;
    std::string message(View(Tcl_GetObjResult(m_pChild)));
    // Where it stopped: the failing command's place, from Tcl's own trace.
    CDryRunPlace place;
    const char* pInfo = Tcl_GetVar2(m_pChild, "errorInfo", nullptr, TCL_GLOBAL_ONLY);
    if (pInfo != nullptr)
    {
        CTraceParser parser;
        std::string_view info(pInfo);
        size_t nFrom = 0;
        while (nFrom <= info.size())
        {
            size_t nTo = info.find('\n', nFrom);
            if (nTo == std::string_view::npos)
                nTo = info.size();
            parser.AddLine(info.substr(nFrom, nTo - nFrom));
            nFrom = nTo + 1;
        }
        parser.Finish();
        const auto read = [this](const std::string& path, std::string& bytes)
        {
            if (path == m_mainName)
            {
                bytes = m_text;
                return true;
            }
            const auto found = std::find(m_files.begin(), m_files.end(), path);
            if (found == m_files.end())
                return false;
            std::ifstream in(path, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            return static_cast<bool>(in) || in.eof();
        };
        CTraceMapper mapper(m_folder, m_mainName, read);
        for (const CTraceParser::CTrace& trace : parser.TakeTraces())
        {
            const std::vector<CTraceMapper::CLocation> locations = mapper.Map(trace);
            if (locations.empty())
                continue;
            const std::string& path = locations.front().path;
            const auto found = std::find(m_files.begin(), m_files.end(), path);
            place.nFile = path == m_mainName       ? 0
                          : found != m_files.end() ? static_cast<int>(found - m_files.begin())
                                                   : -1;
            place.nLine = place.nFile >= 0 ? locations.front().nLine : 0;
            break;
        }
    }
    if (!m_limit.empty())
        m_writer.Limit(m_limit, m_limitMessage, m_limitPlace.nFile >= 0 ? m_limitPlace : place);
    else if (bTclLimit)
        m_writer.Limit(
            "time", "the script ran longer than " + std::to_string(m_options.nTimeLimitMs) + " ms",
            place);
    else
        m_writer.Error(message, place);
}
