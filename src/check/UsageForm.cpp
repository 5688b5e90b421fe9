#include "UsageForm.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace
{
// "<text>", appended piece by piece: GCC 12 warns falsely of a literal
// added to a string.
std::string Angled(std::string_view text)
{
    std::string angled;
    angled.reserve(text.size() + 2);
    angled += '<';
    angled += text;
    angled += '>';
    return angled;
}

// The form's tokens: "[", "]", "...", "{" and words; a list {a b ...} is
// the placeholder <{a b ...}>.
std::vector<std::string> Tokens(std::string_view rest)
{
    std::vector<std::string> tokens;
    std::string word;
    const auto flush = [&]
    {
        if (!word.empty())
            tokens.push_back(word);
        word.clear();
    };
    for (size_t i = 0; i < rest.size(); ++i)
    {
        const char c = rest[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
        {
            flush();
            continue;
        }
        // {t1 t2 ...} is one word, a list; a "{" alone opens a body.
        if (c == '{')
        {
            const size_t nClose = rest.find('}', i);
            if (nClose != std::string_view::npos &&
                rest.substr(i + 1, nClose - i - 1).find_first_not_of(" \t") !=
                    std::string_view::npos &&
                rest.substr(i + 1, nClose - i - 1).find('{') == std::string_view::npos)
            {
                flush();
                tokens.push_back(Angled(rest.substr(i, nClose + 1 - i)));
                i = nClose;
                continue;
            }
        }
        if (c == '[' || c == ']' || c == '{')
        {
            flush();
            tokens.emplace_back(1, c);
            continue;
        }
        // A placeholder is one token, "..." inside it included (<nodes...>).
        if (c == '<' && word.empty())
        {
            const size_t nClose = rest.find('>', i);
            const size_t nBlank = rest.find_first_of(" \t", i);
            if (nClose != std::string_view::npos && nClose < nBlank)
            {
                word.assign(rest.substr(i, nClose + 1 - i));
                i = nClose;
                continue;
            }
        }
        if (rest.compare(i, 3, "...") == 0)
        {
            flush();
            tokens.emplace_back("...");
            i += 2;
            continue;
        }
        word += c;
    }
    flush();
    return tokens;
}

} // namespace

std::optional<CUsageForm> CUsageForm::Parse(std::string_view rest, std::string line)
{
    const std::vector<std::string> tokens = Tokens(rest);
    CUsageForm form;
    form.m_line = std::move(line);
    // Each open "[" keeps its items here until its "]".
    std::vector<CSequence> stack(1);
    for (const std::string& token : tokens)
    {
        CSequence& current = stack.back();
        if (token == "[")
        {
            stack.emplace_back();
            continue;
        }
        if (token == "]")
        {
            if (stack.size() < 2)
                return std::nullopt;
            CItem optional;
            optional.kind = CItem::EKind::Optional;
            optional.items = std::move(stack.back());
            stack.pop_back();
            stack.back().push_back(std::move(optional));
            continue;
        }
        if (token == "...")
        {
            if (current.empty())
                continue; // "..." with nothing before it says nothing
            current.back().bRepeats = true;
            continue;
        }
        CItem item;
        if (token == "{")
            item.kind = CItem::EKind::Body;
        else if (token.size() >= 3 && token.front() == '<' && token.back() == '>')
        {
            item.kind = CItem::EKind::Placeholder;
            item.text = token.substr(1, token.size() - 2);
            if (item.text.find_first_of("<>") != std::string::npos)
                return std::nullopt;
            // <nodes...>: one or more.
            if (item.text.size() > 3 && item.text.compare(item.text.size() - 3, 3, "...") == 0)
            {
                item.text.resize(item.text.size() - 3);
                item.bRepeats = true;
            }
        }
        else if (token.find('|') != std::string::npos)
        {
            item.kind = CItem::EKind::Choice;
            size_t nFrom = 0;
            while (nFrom <= token.size())
            {
                size_t nTo = token.find('|', nFrom);
                if (nTo == std::string::npos)
                    nTo = token.size();
                if (nTo > nFrom)
                    item.choices.push_back(token.substr(nFrom, nTo - nFrom));
                nFrom = nTo + 1;
            }
            if (item.choices.empty())
                return std::nullopt;
        }
        else if (token.find('<') != std::string::npos || token.find('>') != std::string::npos)
            return std::nullopt; // a placeholder run into other text
        else
        {
            item.kind = CItem::EKind::Literal;
            item.text = token;
        }
        current.push_back(std::move(item));
    }
    if (stack.size() != 1)
        return std::nullopt;
    form.m_items = std::move(stack.back());
    return form;
}

// Tries every way the words can fit, remembering the furthest word reached
// and what was wanted there.
class CUsageForm::CMatcher
{
public:
    CMatcher(const std::vector<CWord>& words, CMismatch& mismatch,
             std::vector<std::string_view>* pNames = nullptr)
        : m_words(words), m_mismatch(mismatch), m_pNames(pNames)
    {
    }

    using Then = std::function<bool(size_t)>;

    // A form that would take longer than this to try is taken as fitting.
    static constexpr long kMaxSteps = 200000;
    bool GaveUp() const { return m_nSteps > kMaxSteps; }

    bool Sequence(const CSequence& items, size_t nItem, size_t nWord, const Then& then)
    {
        if (++m_nSteps > kMaxSteps)
            return true;
        if (nItem == items.size())
            return then(nWord);
        return Item(items[nItem], nWord,
                    [&](size_t nNext) { return Sequence(items, nItem + 1, nNext, then); });
    }

    bool Item(const CItem& item, size_t nWord, const Then& then)
    {
        if (!item.bRepeats)
            return Once(item, nWord, then);
        // One or more.
        return Once(item, nWord,
                    [&](size_t nNext)
                    { return then(nNext) || (nNext > nWord && Item(item, nNext, then)); });
    }

    bool End(size_t nWord)
    {
        if (nWord == m_words.size())
            return true;
        Expect(nWord, "");
        return false;
    }

private:
    bool Once(const CItem& item, size_t nWord, const Then& then)
    {
        switch (item.kind)
        {
        case CItem::EKind::Optional:
            return Sequence(item.items, 0, nWord, then) || then(nWord);
        case CItem::EKind::Placeholder:
        case CItem::EKind::Body:
            if (nWord < m_words.size())
            {
                // The way that fits sets each word last, on its way to the end.
                if (m_pNames != nullptr)
                    (*m_pNames)[nWord] = item.text;
                return then(nWord + 1);
            }
            Expect(nWord, item.kind == CItem::EKind::Body ? "{"
                          : item.text.front() == '{'      ? item.text
                                                          : Angled(item.text));
            return false;
        case CItem::EKind::Literal:
        case CItem::EKind::Choice:
        {
            const std::vector<std::string> single{item.text};
            const std::vector<std::string>& choices =
                item.kind == CItem::EKind::Literal ? single : item.choices;
            if (nWord < m_words.size())
            {
                const CWord& word = m_words[nWord];
                bool bFits = !word.bLiteral;
                for (const std::string& choice : choices)
                    bFits = bFits || word.text == choice;
                if (bFits)
                {
                    if (m_pNames != nullptr)
                        (*m_pNames)[nWord] = {};
                    return then(nWord + 1);
                }
            }
            std::string wanted;
            for (const std::string& choice : choices)
            {
                // Appended piece by piece: GCC 12 warns falsely of a sum of literals.
                if (!wanted.empty())
                    wanted += '|';
                wanted += choice;
            }
            Expect(nWord, wanted);
            return false;
        }
        }
        return false;
    }

    void Expect(size_t nWord, const std::string& what)
    {
        if (nWord > m_mismatch.nWord || m_mismatch.expected.empty())
        {
            m_mismatch.nWord = nWord;
            m_mismatch.expected.clear();
        }
        if (nWord == m_mismatch.nWord)
        {
            for (const std::string& known : m_mismatch.expected)
            {
                if (known == what)
                    return;
            }
            m_mismatch.expected.push_back(what);
        }
    }

    const std::vector<CWord>& m_words;
    CMismatch& m_mismatch;
    std::vector<std::string_view>* m_pNames;
    long m_nSteps = 0;
};

bool CUsageForm::Matches(const std::vector<CWord>& words, CMismatch& mismatch) const
{
    mismatch = CMismatch();
    if (words.size() > kMaxWords)
        return true;
    CMatcher matcher(words, mismatch);
    if (matcher.Sequence(m_items, 0, 0, [&](size_t nWord) { return matcher.End(nWord); }))
        return true;
    mismatch.bOutOfWords = mismatch.nWord >= words.size();
    return false;
}

bool CUsageForm::Bind(const std::vector<CWord>& words, std::vector<std::string_view>& names) const
{
    names.assign(words.size(), {});
    if (words.size() > kMaxWords)
        return false;
    CMismatch mismatch;
    CMatcher matcher(words, mismatch, &names);
    const bool bFits =
        matcher.Sequence(m_items, 0, 0, [&](size_t nWord) { return matcher.End(nWord); });
    if (!bFits || matcher.GaveUp())
    {
        names.assign(words.size(), {});
        return false;
    }
    return true;
}

std::string CUsageForm::FirstPlaceholder() const
{
    if (!m_items.empty() && m_items.front().kind == CItem::EKind::Placeholder)
        return m_items.front().text;
    return {};
}

std::vector<std::string> CUsageForm::LeadingPlaceholders() const
{
    std::vector<std::string> names;
    for (const CItem& item : m_items)
    {
        if (item.kind != CItem::EKind::Placeholder)
            break;
        names.push_back(item.text);
    }
    return names;
}

std::vector<std::string> CUsageForm::Placeholders() const
{
    std::vector<std::string> names;
    const std::function<void(const CSequence&)> collect = [&](const CSequence& items)
    {
        for (const CItem& item : items)
        {
            if (item.kind == CItem::EKind::Placeholder)
                names.push_back(item.text);
            else if (item.kind == CItem::EKind::Optional)
                collect(item.items);
        }
    };
    collect(m_items);
    return names;
}

bool CUsageForm::EndsInBody() const
{
    return !m_items.empty() && m_items.back().kind == CItem::EKind::Body;
}

std::vector<std::string> CUsageForm::Flags() const
{
    std::vector<std::string> flags;
    const std::function<void(const CSequence&)> collect = [&](const CSequence& items)
    {
        for (const CItem& item : items)
        {
            if (item.kind == CItem::EKind::Literal && item.text.size() > 1 && item.text[0] == '-')
                flags.push_back(item.text);
            for (const std::string& choice : item.choices)
            {
                if (choice.size() > 1 && choice[0] == '-')
                    flags.push_back(choice);
            }
            collect(item.items);
        }
    };
    collect(m_items);
    return flags;
}

std::vector<std::string> CUsageForm::Example() const
{
    std::vector<std::string> words;
    for (const CItem& item : m_items)
    {
        switch (item.kind)
        {
        case CItem::EKind::Optional:
            break;
        case CItem::EKind::Placeholder:
            words.push_back(item.text.front() == '{' ? "{1 2}" : "1");
            break;
        case CItem::EKind::Literal:
            words.push_back(item.text);
            break;
        case CItem::EKind::Choice:
            words.push_back(item.choices.empty() ? std::string() : item.choices.front());
            break;
        case CItem::EKind::Body:
            words.emplace_back("{}");
            break;
        }
    }
    return words;
}

bool CUsageForm::HasNumberKeyword() const
{
    const auto isNumber = [](const std::string& text)
    {
        char* pEnd = nullptr;
        (void)std::strtod(text.c_str(), &pEnd);
        return !text.empty() && pEnd == text.c_str() + text.size();
    };
    std::vector<const CSequence*> pending{&m_items};
    while (!pending.empty())
    {
        const CSequence* pItems = pending.back();
        pending.pop_back();
        for (const CItem& item : *pItems)
        {
            if (item.kind == CItem::EKind::Literal && isNumber(item.text))
                return true;
            if (item.kind == CItem::EKind::Choice &&
                std::any_of(item.choices.begin(), item.choices.end(), isNumber))
                return true;
            if (item.kind == CItem::EKind::Optional)
                pending.push_back(&item.items);
        }
    }
    return false;
}
