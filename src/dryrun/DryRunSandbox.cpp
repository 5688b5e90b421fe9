#include "DryRunSandbox.h"

#include "ScriptSteps.h"
#include "check/TclLibrary.h"
#include "text/RegularFile.h"
#include "text/Utf8Detector.h"
#include "trace/TraceMapper.h"
#include "trace/TraceParser.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <tcl.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace fs = std::filesystem;

namespace
{
CDryRunSandbox* g_pCurrent = nullptr;

using DryRunProtocol::kMaxValueBytes;
using DryRunProtocol::kMaxWordBytes;
constexpr size_t kMaxVariables = 10000;
constexpr long kHarvestMs = 200;

// What a script may run: Tcl's own computation, nothing that waits, reads,
// writes, connects or reaches another interpreter. Every other command of
// the safe interpreter is hidden (a global one: a call is refused) or
// deleted (one in a namespace), so that nothing Tcl adds is let in unseen.
const char* const kAllowed[] = {
    "append",   "apply",    "array",     "binary", "break",   "case",      "catch",   "clock",
    "concat",   "continue", "coroutine", "dict",   "error",   "eval",      "expr",    "for",
    "foreach",  "format",   "global",    "if",     "incr",    "info",      "join",    "lappend",
    "lassign",  "lindex",   "linsert",   "list",   "llength", "lmap",      "lrange",  "lrepeat",
    "lreplace", "lreverse", "lsearch",   "lset",   "lsort",   "namespace", "proc",    "regexp",
    "regsub",   "rename",   "return",    "scan",   "set",     "split",     "string",  "subst",
    "switch",   "tailcall", "throw",     "time",   "try",     "unset",     "uplevel", "upvar",
    "variable", "while",    "yield",     "yieldto"};
// The namespaces of the allowed ensembles' implementations.
const char* const kAllowedNamespaces[] = {
    "::tcl::mathfunc",       "::tcl::mathop",         "::tcl::array", "::tcl::binary",
    "::tcl::binary::encode", "::tcl::binary::decode", "::tcl::dict",  "::tcl::string",
    "::tcl::namespace",      "::tcl::prefix",         "::tcl::info"};
const char* const kAllowedNamespaced[] = {"::tcl::prefix", "::tcl::clock::clicks",
                                          "::tcl::clock::microseconds",
                                          "::tcl::clock::milliseconds", "::tcl::clock::seconds"};
// What info would tell of the machine is a constant: "info hostname" reads
// /etc/hosts and asks the network.
const char* const kConstantInfo[][2] = {{"::tcl::info::hostname", "localhost"},
                                        {"::tcl::info::nameofexecutable", ""},
                                        {"::tcl::info::library", ""},
                                        {"::tcl::info::loaded", ""}};
// Encodings Tcl holds in itself: any other name would be read from a file.
const char* const kEncodings[] = {"utf-8", "iso8859-1"};

bool IsIn(std::string_view name, const auto& names)
{
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* pName) { return name == pName; });
}

int AnswerConstant(void* pData, Tcl_Interp* pInterp, int, Tcl_Obj* const*)
{
    Tcl_SetObjResult(pInterp, Tcl_NewStringObj(static_cast<const char*>(pData), -1));
    return TCL_OK;
}

// Whether a value's text can be made without going deeper than Tcl's stack
// allows: a list or dict with no text yet makes its text from its elements',
// one call deeper for each level of nesting.
// Only such containers are looked into: a flat list of a million numbers
// costs one pass and no memory.
bool MakesTextFromParts(const Tcl_Obj* pObj)
{
    if (pObj->bytes != nullptr || pObj->typePtr == nullptr)
        return false;
    const std::string_view type = pObj->typePtr->name;
    return type == "list" || type == "dict";
}

bool HasShallowText(Tcl_Obj* pValue)
{
    constexpr int kMaxLevels = 1000;
    constexpr long kMaxVisits = 200000;
    if (!MakesTextFromParts(pValue))
        return true;
    std::vector<std::pair<Tcl_Obj*, int>> todo{{pValue, 0}};
    long nVisits = 0;
    const auto look = [&](Tcl_Obj* pPart, int nLevel)
    {
        if (MakesTextFromParts(pPart))
            todo.emplace_back(pPart, nLevel);
    };
    while (!todo.empty())
    {
        const auto [pObj, nLevel] = todo.back();
        todo.pop_back();
        // Too deep for the stack, or too many containers to be sure.
        if (nLevel >= kMaxLevels || ++nVisits > kMaxVisits)
            return false;
        if (std::string_view(pObj->typePtr->name) == "list")
        {
            int nItems = 0;
            Tcl_Obj** ppItems = nullptr;
            if (Tcl_ListObjGetElements(nullptr, pObj, &nItems, &ppItems) != TCL_OK)
                return false;
            for (int i = 0; i < nItems; ++i)
                look(ppItems[i], nLevel + 1);
        }
        else
        {
            Tcl_DictSearch search;
            Tcl_Obj* pKey = nullptr;
            Tcl_Obj* pItem = nullptr;
            int bDone = 0;
            if (Tcl_DictObjFirst(nullptr, pObj, &search, &pKey, &pItem, &bDone) != TCL_OK)
                return false;
            for (; !bDone; Tcl_DictObjNext(&search, &pKey, &pItem, &bDone))
            {
                look(pKey, nLevel + 1);
                look(pItem, nLevel + 1);
            }
            Tcl_DictObjDone(&search);
        }
    }
    return true;
}

constexpr std::string_view kTooDeep = "(a value nested too deeply to show)";

// A value's text, or a note where making it could overflow the stack.
std::string_view SafeView(Tcl_Obj* pObj)
{
    if (!HasShallowText(pObj))
        return kTooDeep;
    int nLength = 0;
    const char* p = Tcl_GetStringFromObj(pObj, &nLength);
    return {p, static_cast<size_t>(nLength)};
}

std::string_view View(Tcl_Obj* pObj)
{
    int nLength = 0;
    const char* p = Tcl_GetStringFromObj(pObj, &nLength);
    return {p, static_cast<size_t>(nLength)};
}

// The words of the list in the interpreter's result, which is then reset.
std::vector<std::string> ResultWords(Tcl_Interp* pInterp)
{
    std::vector<std::string> words;
    int nItems = 0;
    Tcl_Obj** ppItems = nullptr;
    if (Tcl_ListObjGetElements(nullptr, Tcl_GetObjResult(pInterp), &nItems, &ppItems) == TCL_OK)
    {
        for (int i = 0; i < nItems; ++i)
            words.emplace_back(View(ppItems[i]));
    }
    Tcl_ResetResult(pInterp);
    return words;
}

// The words of the list a script of the interpreter returns.
std::unordered_set<std::string> NamesOf(Tcl_Interp* pInterp, const char* pScript)
{
    if (Tcl_Eval(pInterp, pScript) != TCL_OK)
        return {};
    std::vector<std::string> words = ResultWords(pInterp);
    return {std::make_move_iterator(words.begin()), std::make_move_iterator(words.end())};
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
    for (Tcl_Obj* pObj :
         {m_pGlobals, m_pArrayGet, m_pFrame, m_pTypeKey, m_pFileKey, m_pLineKey, m_pCommandKey})
    {
        if (pObj != nullptr)
            Tcl_DecrRefCount(pObj);
    }
    if (m_pMaster != nullptr)
        Tcl_DeleteInterp(m_pMaster);
    for (const int nFd : m_memoryFds)
        close(nFd);
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
    m_hidden = NamesOf(m_pMaster, "interp hidden dryrun");
    // Every command in every namespace, before the script can change any.
    const std::unordered_set<std::string> all = NamesOf(
        m_pChild, "apply {{} {set all {}; set todo {::}\n"
                  "while {[llength $todo]} {\n"
                  "  set todo [lassign $todo ns]\n"
                  "  lappend all {*}[info commands [expr {$ns eq {::} ? {::*} : \"${ns}::*\"}]]\n"
                  "  lappend todo {*}[namespace children $ns]}\n"
                  "return $all}}");
    for (const std::string& name : all)
    {
        const size_t nLast = name.rfind("::");
        if (nLast == 0)
        {
            const std::string tail = name.substr(2);
            if (!IsIn(tail, kAllowed) &&
                Tcl_HideCommand(m_pChild, tail.c_str(), tail.c_str()) == TCL_OK)
                m_hidden.insert(tail);
            continue;
        }
        if (IsIn(name.substr(0, nLast), kAllowedNamespaces) || IsIn(name, kAllowedNamespaced))
            continue;
        Tcl_DeleteCommand(m_pChild, name.c_str());
        m_hidden.insert(name);
    }
    for (const auto& [pName, pAnswer] : kConstantInfo)
    {
        Tcl_DeleteCommand(m_pChild, pName);
        Tcl_CreateObjCommand(m_pChild, pName, &AnswerConstant, const_cast<char*>(pAnswer), nullptr);
    }
    // The sandbox asks Tcl where the run is and what it left through these,
    // called directly: a script that redefines info or array cannot answer.
    for (auto [pName, pInfo] :
         {std::pair{"::tcl::info::frame", &m_frameCommand},
          std::pair{"::tcl::info::globals", &m_globalsCommand},
          std::pair{"::tcl::array::get", &m_arrayGetCommand}, std::pair{"::eval", &m_evalCommand}})
    {
        if (Tcl_GetCommandInfo(m_pChild, pName, pInfo) == 0 || pInfo->objProc == nullptr)
            pInfo->objProc = nullptr;
    }
    Tcl_ResetResult(m_pChild);
    // What the safe interpreter has of its own stays: the library never
    // replaces a command of Tcl.
    const std::unordered_set<std::string> own = NamesOf(m_pChild, "info commands");
    for (const CLibraryCommand& command : m_libraryCommands)
    {
        const std::string& name = command.name;
        if (own.count(name) == 0U && name != "source" && name != "puts" && name != "unknown")
            Tcl_CreateObjCommand(m_pChild, name.c_str(),
                                 command.bBody ? &Guarded<&CDryRunSandbox::RecordWithBody>
                                               : &Guarded<&CDryRunSandbox::Record>,
                                 this, nullptr);
    }
    Tcl_CreateObjCommand(m_pChild, "unknown", &Guarded<&CDryRunSandbox::Unknown>, this, nullptr);
    Tcl_CreateObjCommand(m_pChild, "source", &Guarded<&CDryRunSandbox::Source>, this, nullptr);
    Tcl_CreateObjCommand(m_pChild, "puts", &Guarded<&CDryRunSandbox::Puts>, this, nullptr);
    Tcl_CreateObjCommand(m_pChild, std::string(CScriptSteps::kStepCommand).c_str(),
                         &Guarded<&CDryRunSandbox::Step>, this, nullptr);
    const auto keep = [](const char* pText)
    {
        Tcl_Obj* pObj = Tcl_NewStringObj(pText, -1);
        Tcl_IncrRefCount(pObj);
        return pObj;
    };
    m_pFrame = keep("::tcl::info::frame");
    m_pGlobals = keep("::tcl::info::globals");
    m_pArrayGet = keep("::tcl::array::get");
    m_pTypeKey = keep("type");
    m_pFileKey = keep("file");
    m_pLineKey = keep("line");
    m_pCommandKey = keep("cmd");
    for (std::string& name : Globals())
        m_startGlobals.insert(std::move(name));
    m_startGlobals.emplace("errorInfo");
    m_startGlobals.emplace("errorCode");
    m_pUnknown = std::make_unique<CUnknownValues>(
        m_pChild, [this] { return Globals(); },
        [this](const std::string& name) { return ArrayGet(name); });
}

Tcl_Obj* CDryRunSandbox::ArrayGet(const std::string& name)
{
    Tcl_Obj* pName = Tcl_NewStringObj(name.c_str(), -1);
    Tcl_IncrRefCount(pName);
    Tcl_Obj* args[] = {m_pArrayGet, pName};
    Tcl_Obj* pPairs = nullptr;
    if (Ask(m_arrayGetCommand, 2, args) == TCL_OK)
    {
        pPairs = Tcl_GetObjResult(m_pChild);
        Tcl_IncrRefCount(pPairs);
    }
    Tcl_DecrRefCount(pName);
    Tcl_ResetResult(m_pChild);
    return pPairs;
}

int CDryRunSandbox::AddMemoryFile(const std::string& path, std::string bytes)
{
    const std::string steps = CScriptSteps::Wrap(bytes);
    int nFd = -1;
#ifdef __linux__
    // Each file a name of its own: Tcl may name a frame by the link's target.
    const std::string memoryName = "corvale-dryrun-" + std::to_string(m_files.size());
    nFd = memfd_create(memoryName.c_str(), MFD_CLOEXEC);
#endif
    for (size_t nDone = 0; nFd >= 0 && nDone < steps.size();)
    {
        const ssize_t n = write(nFd, steps.data() + nDone, steps.size() - nDone);
        if (n <= 0)
        {
            close(nFd);
            nFd = -1;
            break;
        }
        nDone += static_cast<size_t>(n);
    }
    if (nFd < 0)
        return -1;
    // Kept open to the end: a number used again would give two files one name.
    m_memoryFds.push_back(nFd);
    const int nFile = static_cast<int>(m_files.size());
    const std::string frameName = "/dev/fd/" + std::to_string(nFd);
    m_files.push_back(path);
    m_frameNames.push_back(frameName);
    m_texts.push_back(std::move(bytes));
    m_writer.File(nFile, path);
    m_fileByFrameName[frameName] = nFile;
    Tcl_Obj* pName = Tcl_NewStringObj(frameName.c_str(), -1);
    Tcl_IncrRefCount(pName);
    if (Tcl_Obj* pNormal = Tcl_FSGetNormalizedPath(nullptr, pName))
        m_fileByFrameName[std::string(View(pNormal))] = nFile;
    Tcl_DecrRefCount(pName);
    return nFile;
}

int CDryRunSandbox::EvalFile(int nFile, const std::string& encoding)
{
    Tcl_Obj* pName = Tcl_NewStringObj(m_frameNames[static_cast<size_t>(nFile)].c_str(), -1);
    Tcl_IncrRefCount(pName);
    const int nCode = Tcl_FSEvalFileEx(m_pChild, pName, encoding.c_str());
    Tcl_DecrRefCount(pName);
    return nCode;
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

int CDryRunSandbox::Ask(const Tcl_CmdInfo& command, int nArgs, Tcl_Obj* const* ppArgs)
{
    if (command.objProc == nullptr)
        return TCL_ERROR;
    return command.objProc(command.objClientData, m_pChild, nArgs, ppArgs);
}

std::vector<std::string> CDryRunSandbox::Globals()
{
    std::vector<std::string> names;
    Tcl_Obj* args[] = {m_pGlobals};
    if (Ask(m_globalsCommand, 1, args) != TCL_OK)
        return names;
    names = ResultWords(m_pChild);
    std::sort(names.begin(), names.end());
    return names;
}

CDryRunPlace CDryRunSandbox::Here()
{
    CDryRunPlace place;
    if (m_pChild == nullptr)
        return place;
    Tcl_Obj* depthArgs[] = {m_pFrame};
    if (Ask(m_frameCommand, 1, depthArgs) != TCL_OK)
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
        Tcl_Obj* frameArgs[] = {m_pFrame, pLevel};
        const int nCode = Ask(m_frameCommand, 2, frameArgs);
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
    const int nSent = std::min(nArgs, static_cast<int>(DryRunProtocol::kMaxWordsPerCall));
    m_nWords += nSent;
    if (m_nWords > static_cast<long long>(DryRunProtocol::kMaxWords))
    {
        StopFor("output", "the script's calls came to more than " +
                              std::to_string(DryRunProtocol::kMaxWords) + " words");
        return false;
    }
    m_lastPlace = Here();
    std::vector<std::string_view> words;
    words.reserve(static_cast<size_t>(nSent));
    for (int i = 0; i < nSent; ++i)
        words.push_back(SafeView(ppArgs[i]).substr(0, kMaxWordBytes));
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

int CDryRunSandbox::StopForException() noexcept
{
    try
    {
        return StopFor("memory", "the dry run ran out of memory");
    }
    catch (...)
    {
        return TCL_ERROR;
    }
}

int CDryRunSandbox::Record(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs)
{
    auto* pThis = static_cast<CDryRunSandbox*>(pData);
    if (!pThis->Write(CDryRunCall::EKind::Library, nArgs, ppArgs))
        return TCL_ERROR;
    std::optional<std::string> result;
    if (pThis->m_options.resultOf)
    {
        std::vector<std::string_view> words;
        words.reserve(static_cast<size_t>(nArgs));
        for (int i = 0; i < nArgs; ++i)
            words.push_back(SafeView(ppArgs[i]).substr(0, kMaxWordBytes));
        result = pThis->m_options.resultOf(words);
    }
    if (result)
        pThis->m_pUnknown->Met();
    Tcl_ResetResult(pInterp);
    if (result)
        Tcl_SetObjResult(pInterp,
                         Tcl_NewStringObj(result->data(), static_cast<int>(result->size())));
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
    const std::string name(SafeView(ppArgs[1]).substr(0, kMaxWordBytes));
    // tcl::encoding::system is ::tcl::encoding::system, which was deleted.
    const bool bRefused = pThis->m_hidden.count(name) != 0U ||
                          (name.find("::") != std::string::npos && name.rfind("::", 0) != 0 &&
                           pThis->m_hidden.count("::" + name) != 0U);
    if (!pThis->Write(bRefused ? CDryRunCall::EKind::Refused : CDryRunCall::EKind::Unknown,
                      nArgs - 1, ppArgs + 1))
        return TCL_ERROR;
    if (name == "exit")
    {
        // The script's own end: nothing after it runs.
        pThis->m_bExited = true;
        return pThis->StopFor("exit", "the script called exit");
    }
    // What it would have given back is more than the run can know.
    pThis->m_pUnknown->Met();
    Tcl_ResetResult(pInterp);
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
    const long long nRoom =
        static_cast<long long>(DryRunProtocol::kMaxOutputBytes) - pThis->m_nOutputBytes;
    if (nRoom <= 0)
        return TCL_OK;
    // Only what fits is copied: a string of 200 MB is never doubled.
    std::string text(SafeView(ppArgs[nArgs - 1]).substr(0, static_cast<size_t>(nRoom)));
    if (bNewline && static_cast<long long>(text.size()) < nRoom)
        text += '\n';
    pThis->m_nOutputBytes += static_cast<long long>(text.size());
    pThis->m_writer.Puts(text);
    Tcl_ResetResult(pInterp);
    return TCL_OK;
}

int CDryRunSandbox::Source(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs)
{
    auto* pThis = static_cast<CDryRunSandbox*>(pData);
    // source ?-encoding name? fileName
    std::string encoding;
    if (nArgs == 4 && View(ppArgs[1]) == "-encoding")
        encoding = View(ppArgs[2]);
    else if (nArgs != 2)
    {
        Tcl_WrongNumArgs(pInterp, 1, ppArgs, "?-encoding name? fileName");
        return TCL_ERROR;
    }
    const std::string name(SafeView(ppArgs[nArgs - 1]).substr(0, kMaxWordBytes));
    const auto refuse = [&](const std::string& why)
    {
        Tcl_SetObjResult(pInterp,
                         Tcl_ObjPrintf("couldn't read file \"%s\": %s", name.c_str(), why.c_str()));
        return TCL_ERROR;
    };
    // Tcl would read any other encoding from a file of that name, anywhere.
    if (!encoding.empty() && !IsIn(encoding, kEncodings))
        return refuse("a dry run reads sourced files as utf-8 or iso8859-1 only");
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
    std::string bytes;
    const CRegularFile::EResult read = CRegularFile::Read(
        resolved.string(), static_cast<size_t>(pThis->m_options.nMaxSourceBytes), bytes);
    if (read != CRegularFile::EResult::Read)
        return refuse(
            "it " + CRegularFile::Why(read, static_cast<size_t>(pThis->m_options.nMaxSourceBytes)));
    ++pThis->m_nSources;
    // Tcl reads the bytes that were checked, from memory: the name it opens
    // is never the user's path, so nothing can stand between check and read.
    if (encoding.empty())
        encoding = CUtf8Detector::IsUtf8(bytes) ? "utf-8" : "iso8859-1";
    const int nFile = pThis->AddMemoryFile(resolved.string(), std::move(bytes));
    if (nFile < 0)
        return refuse("the dry run could not hold it in memory");
    return pThis->EvalFile(nFile, encoding);
}

void CDryRunSandbox::WriteVariables()
{
    // A trace on a variable could run a script as it is read: the harvest
    // has a time limit of its own.
    Tcl_LimitTypeReset(m_pChild, TCL_LIMIT_TIME);
    Tcl_Time until = TimeFromNow(kHarvestMs);
    Tcl_LimitTypeSet(m_pChild, TCL_LIMIT_TIME);
    Tcl_LimitSetTime(m_pChild, &until);
    size_t nWritten = 0;
    const auto write = [&](const std::string& name, Tcl_Obj* pValue)
    {
        std::string prefix;
        const bool bListCut = CutList(pValue, prefix);
        std::string_view value = bListCut ? std::string_view(prefix) : SafeView(pValue);
        const bool bCut = bListCut || value.size() > kMaxValueBytes || value == kTooDeep;
        m_writer.Variable(name.substr(0, kMaxWordBytes), value.substr(0, kMaxValueBytes), bCut);
        ++nWritten;
    };
    Tcl_Obj* pArrayGet = Tcl_NewStringObj("::tcl::array::get", -1);
    Tcl_IncrRefCount(pArrayGet);
    for (const std::string& name : Globals())
    {
        if (nWritten >= kMaxVariables)
            break;
        if (m_startGlobals.count(name) != 0U)
            continue;
        Tcl_Obj* pValue = Tcl_GetVar2Ex(m_pChild, name.c_str(), nullptr, TCL_GLOBAL_ONLY);
        if (pValue != nullptr)
        {
            write(name, pValue);
            continue;
        }
        Tcl_ResetResult(m_pChild);
        Tcl_Obj* pName = Tcl_NewStringObj(name.c_str(), -1);
        Tcl_IncrRefCount(pName);
        Tcl_Obj* arrayGet[] = {pArrayGet, pName};
        if (Ask(m_arrayGetCommand, 2, arrayGet) == TCL_OK)
        {
            Tcl_Obj* pPairs = Tcl_GetObjResult(m_pChild);
            Tcl_IncrRefCount(pPairs);
            int nItems = 0;
            Tcl_Obj** ppItems = nullptr;
            if (Tcl_ListObjGetElements(nullptr, pPairs, &nItems, &ppItems) == TCL_OK)
            {
                for (int k = 0; k + 1 < nItems && nWritten < kMaxVariables; k += 2)
                    write(name + "(" + std::string(SafeView(ppItems[k]).substr(0, kMaxWordBytes)) +
                              ")",
                          ppItems[k + 1]);
            }
            Tcl_DecrRefCount(pPairs);
        }
        Tcl_DecrRefCount(pName);
    }
    Tcl_DecrRefCount(pArrayGet);
    Tcl_ResetResult(m_pChild);
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

    // Tcl reads the script from memory by a name of its own, so that every
    // command it runs knows its file and line, as in a sourced file.
    if (AddMemoryFile(m_scriptPath, text) != 0)
    {
        m_files.assign(1, m_scriptPath);
        m_writer.File(0, m_scriptPath);
        m_writer.Error("the dry run could not hold the script in memory", {});
        m_writer.End(0);
        m_writer.Flush();
        return 1;
    }
    m_mainName = m_frameNames[0];

    Tcl_Time until = TimeFromNow(m_options.nTimeLimitMs);
    Tcl_LimitTypeSet(m_pChild, TCL_LIMIT_TIME);
    Tcl_LimitSetTime(m_pChild, &until);
    Tcl_LimitSetGranularity(m_pChild, TCL_LIMIT_TIME, 1);
    const int nCode = EvalFile(0, CUtf8Detector::IsUtf8(text) ? "utf-8" : "iso8859-1");
    if (m_options.scriptEnded)
        m_options.scriptEnded();
    ReportEnd(nCode);
    WriteVariables();
    const long nMs = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count());
    m_writer.End(nMs);
    m_writer.Flush();
    g_pCurrent = nullptr;
    return (nCode == TCL_OK || m_bExited) && m_nErrors == 0 ? 0 : 1;
}

CDryRunPlace CDryRunSandbox::PlaceOfError(std::string_view fullMessage, std::string info,
                                          const CDryRunPlace* pStep)
{
    CDryRunPlace place;
    // A step's body reports its lines from the step's own line, which is
    // where the command stands in its file: said so, the trace reads as if
    // the file had run the command itself.
    constexpr std::string_view kStepBody = "\n    (\"eval\" body line ";
    const size_t nBody = info.rfind(kStepBody);
    if (pStep != nullptr && pStep->nFile >= 0 && nBody != std::string::npos && !info.empty() &&
        info.back() == ')')
    {
        long nBodyLine = 0;
        const char* pFrom = info.data() + nBody + kStepBody.size();
        const char* pTo = info.data() + info.size() - 1;
        const auto [pEnd, error] = std::from_chars(pFrom, pTo, nBodyLine);
        if (error == std::errc() && pEnd == pTo && nBodyLine >= 1)
            info = info.substr(0, nBody) + "\n    (file \"" +
                   m_frameNames[static_cast<size_t>(pStep->nFile)] + "\" line " +
                   std::to_string(pStep->nLine + nBodyLine - 1) + ")";
    }
    CTraceParser parser;
    std::string_view rest(info);
    // The trace opens with the message, which may be megabytes long.
    if (rest.substr(0, fullMessage.size()) == fullMessage)
        rest.remove_prefix(fullMessage.size());
    size_t nFrom = 0;
    while (nFrom <= rest.size())
    {
        size_t nTo = rest.find('\n', nFrom);
        if (nTo == std::string_view::npos)
            nTo = rest.size();
        parser.AddLine(rest.substr(nFrom, nTo - nFrom));
        nFrom = nTo + 1;
    }
    parser.Finish();
    // The frames name the files as Tcl read them, from memory.
    const auto read = [this](const std::string& path, std::string& bytes)
    {
        const auto found = m_fileByFrameName.find(path);
        if (found == m_fileByFrameName.end())
            return false;
        bytes = m_texts[static_cast<size_t>(found->second)];
        return true;
    };
    CTraceMapper mapper(m_folder, m_mainName, read);
    for (const CTraceParser::CTrace& trace : parser.TakeTraces())
    {
        const std::vector<CTraceMapper::CLocation> locations = mapper.Map(trace);
        if (locations.empty())
            continue;
        const auto found = m_fileByFrameName.find(locations.front().path);
        place.nFile = found != m_fileByFrameName.end() ? found->second : -1;
        place.nLine = place.nFile >= 0 ? locations.front().nLine : 0;
        break;
    }
    if (place.nFile < 0 && pStep != nullptr)
        place = *pStep;
    return place;
}

int CDryRunSandbox::Step(void* pData, Tcl_Interp* pInterp, int nArgs, Tcl_Obj* const* ppArgs)
{
    auto* pThis = static_cast<CDryRunSandbox*>(pData);
    if (nArgs != 2)
    {
        Tcl_WrongNumArgs(pInterp, 1, ppArgs, "script");
        return TCL_ERROR;
    }
    const Tcl_CmdInfo& eval = pThis->m_evalCommand;
    if (eval.objProc == nullptr)
        return Tcl_EvalObjEx(pInterp, ppArgs[1], 0);
    // Tcl's own eval, called as the step: it finds the body among the file's
    // words, and so counts the body's lines from the file.
    pThis->m_pUnknown->BeginStep();
    Tcl_Obj* evalArgs[] = {ppArgs[0], ppArgs[1]};
    const int nCode = eval.objProc(eval.objClientData, pInterp, 2, evalArgs);
    const bool bUnsure = pThis->m_pUnknown->EndStep();
    if (nCode == TCL_OK || nCode == TCL_RETURN)
        return nCode;
    // A limit ends the whole run.
    if (!pThis->m_limit.empty() || Tcl_LimitExceeded(pInterp) != 0)
    {
        pThis->m_bLimitUnsure = pThis->m_bLimitUnsure || bUnsure;
        return nCode;
    }
    std::string message;
    std::string info;
    if (nCode == TCL_BREAK || nCode == TCL_CONTINUE)
        message = nCode == TCL_BREAK ? "invoked \"break\" outside of a loop"
                                     : "invoked \"continue\" outside of a loop";
    else if (nCode == TCL_ERROR)
    {
        message = std::string(SafeView(Tcl_GetObjResult(pInterp)));
        if (const char* pInfo = Tcl_GetVar2(pInterp, "errorInfo", nullptr, TCL_GLOBAL_ONLY))
            info = pInfo;
    }
    else
        return nCode;
    // Asked of Tcl once the error is read: asking sets the result.
    const CDryRunPlace here = pThis->Here();
    const CDryRunPlace place =
        info.empty() ? here : pThis->PlaceOfError(message, std::move(info), &here);
    pThis->StepFailed(View(ppArgs[1]), message, place, bUnsure);
    Tcl_ResetResult(pInterp);
    return TCL_OK;
}

void CDryRunSandbox::StepFailed(std::string_view command, const std::string& fullMessage,
                                const CDryRunPlace& place, bool bUnsure)
{
    const bool bEcho = m_pUnknown->IsFollowOn(fullMessage);
    m_pUnknown->Failed(command);
    if (bUnsure || bEcho || m_nErrors >= m_options.nMaxErrors)
        return;
    ++m_nErrors;
    m_writer.Error(DryRunProtocol::Cut(fullMessage), place);
}

void CDryRunSandbox::ReportEnd(int nCode)
{
    if (nCode == TCL_OK || m_bExited)
        return;
    const bool bTclLimit = m_limit.empty() && Tcl_LimitExceeded(m_pChild) != 0;
    const std::string_view fullMessage = SafeView(Tcl_GetObjResult(m_pChild));
    const std::string message = DryRunProtocol::Cut(fullMessage);
    // Where it stopped: the failing command's place, from Tcl's own trace.
    const char* pInfo = Tcl_GetVar2(m_pChild, "errorInfo", nullptr, TCL_GLOBAL_ONLY);
    const CDryRunPlace place =
        pInfo != nullptr ? PlaceOfError(fullMessage, pInfo, nullptr) : CDryRunPlace{};
    if (!m_limit.empty())
        m_writer.Limit(m_limit, m_limitMessage, m_limitPlace.nFile >= 0 ? m_limitPlace : place,
                       m_bLimitUnsure);
    else if (bTclLimit)
        m_writer.Limit(
            "time", "the script ran longer than " + std::to_string(m_options.nTimeLimitMs) + " ms",
            place, m_bLimitUnsure);
    else
    {
        ++m_nErrors;
        m_writer.Error(message, place);
    }
}
