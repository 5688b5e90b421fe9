#include "CommandSignatures.h"

#include "check/CommandKnowledge.h"
#include "check/UsageForm.h"

CCommandSignatures CCommandSignatures::Of(const CCommandKnowledge& knowledge, std::string_view name,
                                          std::string_view sub, size_t nWord)
{
    CCommandSignatures signatures;
    int nRecord = knowledge.Find(name, "command");
    size_t nCommandWords = 1;
    if (!sub.empty())
    {
        const int nSub = knowledge.Find(sub, name);
        if (nSub >= 0)
        {
            nRecord = nSub;
            nCommandWords = 2;
        }
    }
    if (nRecord < 0)
        return signatures;
    for (const CUsageForm& form : knowledge.FormsOf(nRecord))
    {
        // The form's words after the command's own are its parameters.
        CForm shown{form.Line(), {}};
        const std::string_view line = shown.line;
        size_t nWords = 0;
        for (size_t nFrom = 0; nFrom < line.size();)
        {
            size_t nTo = line.find(' ', nFrom);
            if (nTo == std::string_view::npos)
                nTo = line.size();
            if (nTo > nFrom && ++nWords > nCommandWords)
                shown.parameters.emplace_back(nFrom, nTo);
            nFrom = nTo + 1;
        }
        signatures.forms.push_back(std::move(shown));
    }
    signatures.nActive = nWord > nCommandWords ? nWord - nCommandWords : 0;
    return signatures;
}
