#include "LibraryUsageRule.h"

#include "check/CommandKnowledge.h"
#include "check/WordShape.h"

#include <algorithm>

std::vector<std::string_view> CLibraryUsageRule::Ids() const
{
    return {"usage/unknown-subcommand", "usage/missing-argument", "usage/unknown-flag",
            "usage/not-a-choice", "usage/too-many-arguments"};
}

void CLibraryUsageRule::Command(const CCommandSite& site, CCheckContext& context)
{
    if (site.pUsage == nullptr)
        return;
    if (site.pUsage->pUnknownSubCommand != nullptr)
        UnknownSubCommand(*site.pUsage, context);
    else if (site.pUsage->pBest != nullptr)
        Mismatch(site, *site.pUsage, context);
}

void CLibraryUsageRule::UnknownSubCommand(const CUsageMatch& usage, CCheckContext& context)
{
    const CCheckWord& word = *usage.pUnknownSubCommand;
    const std::vector<std::string>& keywords = usage.subCommands;
    std::string what = "sub-command";
    for (const CUsageForm& form : context.Knowledge().FormsOf(usage.nParentRecord))
    {
        const std::string placeholder = form.FirstPlaceholder();
        if (!placeholder.empty())
        {
            what = placeholder;
            break;
        }
    }
    std::string message =
        "unknown " + usage.context + " " + what + " \"" + std::string(word.text) + "\"";
    std::string best;
    size_t nBest = WordShape::MostEditsForSuggestion(word.text) + 1;
    for (const std::string& keyword : keywords)
    {
        const size_t nDistance = WordShape::EditDistance(word.text, keyword, nBest - 1);
        if (nDistance < nBest)
        {
            nBest = nDistance;
            best = keyword;
        }
    }
    if (!best.empty())
        message += "; did you mean " + best + "?";
    else
    {
        message += ": one of ";
        for (size_t k = 0; k < keywords.size() && k < 8; ++k)
            message += (k == 0 ? "" : ", ") + keywords[k];
        if (keywords.size() > 8)
            message += ", ...";
    }
    CCheckContext::OfferReplacement(
        context.Add("usage/unknown-subcommand", word.pStart, word.End(), message), best);
}

void CLibraryUsageRule::Mismatch(const CCommandSite& site, const CUsageMatch& usage,
                                 CCheckContext& context)
{
    const CUsageForm& form = *usage.pBest;
    const CUsageForm::CMismatch& mismatch = usage.mismatch;
    const std::vector<CCheckWord>& words = site.words;
    const std::string line = ": " + form.Line();
    if (mismatch.bOutOfWords)
    {
        std::string missing;
        for (const std::string& expected : mismatch.expected)
        {
            if (!expected.empty())
            {
                missing = expected;
                break;
            }
        }
        context.Add("usage/missing-argument", site.parse.commandStart, words.back().End(),
                    "missing " + (missing.empty() ? std::string("an argument") : missing) + line);
        return;
    }
    // A flag the form does not know, taken for a value on the way, is what
    // went wrong.
    const std::vector<std::string> flags = form.Flags();
    for (size_t w = usage.nFirstArgument; w < words.size() && !flags.empty(); ++w)
    {
        const CCheckWord& word = words[w];
        if (!word.bLiteral || !WordShape::IsFlag(word.text) ||
            std::find(flags.begin(), flags.end(), word.text) != flags.end())
            continue;
        std::string message = "unknown flag \"" + std::string(word.text) + "\"; expected ";
        for (size_t k = 0; k < flags.size(); ++k)
            message += (k == 0 ? "" : " or ") + flags[k];
        context.Add("usage/unknown-flag", word.pStart, word.End(), message + line);
        return;
    }
    const size_t nAt = usage.nFirstArgument + mismatch.nWord;
    const CCheckWord& word = words[std::min(nAt, words.size() - 1)];
    std::vector<std::string> literals;
    bool bEndFits = false;
    for (const std::string& expected : mismatch.expected)
    {
        if (expected.empty())
            bEndFits = true;
        else if (expected[0] != '<' && expected[0] != '{')
            literals.push_back(expected);
    }
    const std::string text = word.bLiteral ? std::string(word.text) : std::string();
    std::string message;
    std::string_view rule = "usage/too-many-arguments";
    if (WordShape::IsFlag(text) && !literals.empty())
    {
        rule = "usage/unknown-flag";
        message = "unknown flag \"" + text + "\"; expected ";
        for (size_t k = 0; k < literals.size(); ++k)
            message += (k == 0 ? "" : " or ") + literals[k];
    }
    else if (!literals.empty() && !bEndFits)
    {
        rule = "usage/not-a-choice";
        message = "\"" + text + "\" is not one of ";
        for (size_t k = 0; k < literals.size(); ++k)
            message += (k == 0 ? "" : " or ") + literals[k];
    }
    else
        message =
            "too many arguments, from \"" + (word.bLiteral ? text : std::string("...")) + "\"";
    context.Add(rule, word.pStart, word.End(), message + line);
}
