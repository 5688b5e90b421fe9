#include "UnknownValues.h"

#include <cctype>
#include <utility>

namespace
{
// Arrays larger than this are not compared: a model's table of thousands of
// entries would be copied at every unsure step.
constexpr int kMostArrayWords = 20000;
constexpr size_t kMostFailedNames = 200000;

bool IsNameByte(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == ':';
}

std::string_view WithoutGlobalPrefix(std::string_view name)
{
    while (name.substr(0, 2) == "::")
        name.remove_prefix(2);
    return name;
}
} // namespace

// The global variables' values at one moment, held so that none can be
// reused for another value: a changed variable holds another object.
class CUnknownValues::CSnapshot
{
public:
    struct CEntry
    {
        std::string name;
        Tcl_Obj* pScalar = nullptr; // a scalar's value
        Tcl_Obj* pArray = nullptr;  // an array's "array get"
        bool bLarge = false;        // an array too large to compare
    };
    std::vector<CEntry> entries;

    CSnapshot() = default;
    CSnapshot(const CSnapshot&) = delete;
    CSnapshot& operator=(const CSnapshot&) = delete;
    ~CSnapshot()
    {
        for (const CEntry& entry : entries)
        {
            if (entry.pScalar != nullptr)
                Tcl_DecrRefCount(entry.pScalar);
            if (entry.pArray != nullptr)
                Tcl_DecrRefCount(entry.pArray);
        }
    }
};

CUnknownValues::CUnknownValues(Tcl_Interp* pInterp,
                               std::function<std::vector<std::string>()> globals,
                               std::function<Tcl_Obj*(const std::string& name)> arrayGet)
    : m_pInterp(pInterp), m_globals(std::move(globals)), m_arrayGet(std::move(arrayGet))
{
}

CUnknownValues::~CUnknownValues() = default;

std::shared_ptr<CUnknownValues::CSnapshot> CUnknownValues::Take()
{
    m_bLooking = true;
    auto pSnapshot = std::make_shared<CSnapshot>();
    for (std::string& name : m_globals())
    {
        CSnapshot::CEntry entry;
        entry.name = std::move(name);
        entry.pScalar = Tcl_GetVar2Ex(m_pInterp, entry.name.c_str(), nullptr, TCL_GLOBAL_ONLY);
        if (entry.pScalar != nullptr)
            Tcl_IncrRefCount(entry.pScalar);
        else if ((entry.pArray = m_arrayGet(entry.name)) != nullptr)
        {
            int nWords = 0;
            if (Tcl_ListObjLength(nullptr, entry.pArray, &nWords) != TCL_OK ||
                nWords > kMostArrayWords)
            {
                Tcl_DecrRefCount(entry.pArray);
                entry.pArray = nullptr;
                entry.bLarge = true;
            }
        }
        pSnapshot->entries.push_back(std::move(entry));
    }
    Tcl_ResetResult(m_pInterp);
    m_bLooking = false;
    return pSnapshot;
}

void CUnknownValues::BeginStep()
{
    m_steps.emplace_back();
}

bool CUnknownValues::EndStep()
{
    if (m_steps.empty())
        return false;
    CStep step = std::move(m_steps.back());
    m_steps.pop_back();
    if (step.pBefore == nullptr)
        return step.bMet;
    // Whatever the step set after it met an unknown value may hold it.
    m_bLooking = true;
    std::unordered_set<std::string> before;
    std::vector<std::string> changed;
    for (const CSnapshot::CEntry& entry : step.pBefore->entries)
    {
        before.insert(entry.name);
        if (entry.bLarge)
            continue;
        Tcl_Obj* pNow = Tcl_GetVar2Ex(m_pInterp, entry.name.c_str(), nullptr, TCL_GLOBAL_ONLY);
        if (pNow != nullptr)
        {
            if (pNow != entry.pScalar)
                changed.push_back(entry.name);
            continue;
        }
        Tcl_Obj* pArray = m_arrayGet(entry.name);
        if (pArray == nullptr)
            continue; // unset: nothing is left to be unsure of
        if (entry.pScalar != nullptr)
        {
            // A scalar then, an array now.
            Tcl_DecrRefCount(pArray);
            changed.push_back(entry.name);
            continue;
        }
        int nNow = 0;
        int nThen = 0;
        Tcl_Obj** ppNow = nullptr;
        Tcl_Obj** ppThen = nullptr;
        bool bSame = entry.pArray != nullptr &&
                     Tcl_ListObjGetElements(nullptr, pArray, &nNow, &ppNow) == TCL_OK &&
                     Tcl_ListObjGetElements(nullptr, entry.pArray, &nThen, &ppThen) == TCL_OK &&
                     nNow == nThen;
        for (int i = 1; bSame && i < nNow; i += 2)
            bSame = ppNow[i] == ppThen[i];
        Tcl_DecrRefCount(pArray);
        if (!bSame)
            changed.push_back(entry.name);
    }
    for (std::string& name : m_globals())
    {
        if (before.count(name) == 0U)
            changed.push_back(std::move(name));
    }
    Tcl_ResetResult(m_pInterp);
    m_bLooking = false;
    for (const std::string& name : changed)
        MarkUnsure(name);
    return true;
}

void CUnknownValues::Met()
{
    if (m_bLooking)
        return;
    std::shared_ptr<CSnapshot> pNow;
    for (CStep& step : m_steps)
    {
        step.bMet = true;
        if (step.pBefore != nullptr)
            continue;
        if (pNow == nullptr)
            pNow = Take();
        step.pBefore = pNow;
    }
}

void CUnknownValues::MarkUnsure(const std::string& name)
{
    if (!m_unsure.insert(name).second)
        return;
    Tcl_TraceVar2(m_pInterp, name.c_str(), nullptr,
                  TCL_GLOBAL_ONLY | TCL_TRACE_READS | TCL_TRACE_UNSETS, &CUnknownValues::OnTrace,
                  this);
}

char* CUnknownValues::OnTrace(void* pData, Tcl_Interp*, const char* pName1, const char* pName2,
                              int nFlags)
{
    auto* pThis = static_cast<CUnknownValues*>(pData);
    if ((nFlags & TCL_INTERP_DESTROYED) != 0)
        return nullptr;
    if ((nFlags & TCL_TRACE_UNSETS) != 0)
    {
        // The whole variable is gone, and its trace with it.
        if (pName2 == nullptr || (nFlags & TCL_TRACE_DESTROYED) != 0)
            pThis->m_unsure.erase(std::string(WithoutGlobalPrefix(pName1)));
        return nullptr;
    }
    // The read stands inside a command: what the interpreter holds stays.
    Tcl_InterpState state = Tcl_SaveInterpState(pThis->m_pInterp, TCL_OK);
    pThis->Met();
    Tcl_RestoreInterpState(pThis->m_pInterp, state);
    return nullptr;
}

void CUnknownValues::Failed(std::string_view commandText)
{
    size_t i = 0;
    while (i < commandText.size() && m_failedNames.size() < kMostFailedNames)
    {
        if (!IsNameByte(commandText[i]))
        {
            ++i;
            continue;
        }
        const size_t nStart = i;
        while (i < commandText.size() && IsNameByte(commandText[i]))
            ++i;
        m_failedNames.emplace(WithoutGlobalPrefix(commandText.substr(nStart, i - nStart)));
    }
}

bool CUnknownValues::IsFollowOn(std::string_view message) const
{
    constexpr std::string_view kRead = "can't read \"";
    if (m_failedNames.empty() || message.substr(0, kRead.size()) != kRead)
        return false;
    message.remove_prefix(kRead.size());
    const size_t nEnd = message.find_first_of("\"(");
    if (nEnd == std::string_view::npos)
        return false;
    return m_failedNames.count(std::string(WithoutGlobalPrefix(message.substr(0, nEnd)))) != 0U;
}
