#include "CommentAfterCommandRule.h"

#include <algorithm>
#include <cctype>

std::vector<std::string_view> CCommentAfterCommandRule::Ids() const
{
    return {"trap/comment-without-semicolon"};
}

void CCommentAfterCommandRule::Command(const CCommandSite& site, CCheckContext& context)
{
    const std::vector<CCheckWord>& words = site.words;
    for (size_t i = 1; i + 1 < words.size(); ++i)
    {
        const CCheckWord& hash = words[i];
        if (!hash.bLiteral || hash.bBraced || hash.text.empty() || hash.text[0] != '#' ||
            hash.pStart[0] != '#')
            continue;
        // "#0" is a level (uplevel #0), "#e6ceb1" a colour: words, not comments.
        const std::string_view rest =
            hash.text.substr(hash.text.find_first_not_of('#') == std::string_view::npos
                                 ? hash.text.size()
                                 : hash.text.find_first_not_of('#'));
        if (!rest.empty() &&
            std::all_of(rest.begin(), rest.end(),
                        [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
            continue;
        // Prose: the words after it are plain words, one of them with a letter.
        // "regsub # $text {} result" and 'match # "Expected #"' are arguments.
        const bool bPlain =
            std::all_of(words.begin() + static_cast<long>(i) + 1, words.end(),
                        [](const CCheckWord& word)
                        { return word.bLiteral && !word.bBraced && word.pStart[0] != '"'; });
        const bool bLetters = std::any_of(
            words.begin() + static_cast<long>(i) + 1, words.end(),
            [](const CCheckWord& word)
            {
                return std::any_of(word.text.begin(), word.text.end(),
                                   [](char c)
                                   { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
            });
        if (!bPlain || !bLetters)
            return;
        CFinding* pFinding = context.Add(
            "trap/comment-without-semicolon", hash.pStart, hash.pStart + 1,
            "this # does not start a comment: after a command's words it is one more word, and so "
            "is each word after it; end the command first with ;#");
        if (pFinding != nullptr)
            pFinding->fixes.push_back(
                {"Put a ; before the #", pFinding->nStart, pFinding->nEnd, ";#"});
        // The words the comment added are not the command's mistake.
        context.Supersede("trap/comment-without-semicolon", hash.pStart, words.back().End());
        return;
    }
}
