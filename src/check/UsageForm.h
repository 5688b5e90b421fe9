#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One form of a command as a usage line of its help writes it, after the
// record's own words:
// - <name> is one required word, [ ... ] is optional and may nest, "..."
//   after an item repeats it;
// - A|B|C are literal choices, -flag is a literal flag, any other plain word
//   is a literal;
// - "{" opens a body: one word, a script.
// A command's words are matched against it; a word with a substitution in it
// matches whatever it stands against.
class CUsageForm
{
public:
    struct CWord
    {
        std::string_view text; // the literal text, when bLiteral
        bool bLiteral = true;
    };

    // Why the words do not fit: where they stopped fitting, and what was
    // wanted there ("<jNode>", "Static|Transient", "-file"; "" for the end).
    struct CMismatch
    {
        size_t nWord = 0;
        bool bOutOfWords = false;
        std::vector<std::string> expected;
    };

    // The form of a usage line's rest; nothing when it does not parse (an
    // unclosed "[", a stray "]"), which is then skipped, never an error.
    static std::optional<CUsageForm> Parse(std::string_view rest, std::string line);

    // True when the words fit; otherwise how far they got.
    bool Matches(const std::vector<CWord>& words, CMismatch& mismatch) const;

    // When the words fit: the name of the placeholder each word stands for
    // ("tag", "iNode"; empty for a literal, a choice or a body).
    bool Bind(const std::vector<CWord>& words, std::vector<std::string_view>& names) const;

    const std::string& Line() const { return m_line; }
    // The name of the required word the form begins with ("type" for
    // "<type> <tag> ..."), or empty.
    std::string FirstPlaceholder() const;
    // The names of the required placeholders the form begins with ("type",
    // "tag" of "<type> <tag> ...").
    std::vector<std::string> LeadingPlaceholders() const;
    // Every placeholder's name, optional ones included, in order.
    std::vector<std::string> Placeholders() const;
    // The form ends in a body: its last word is a script.
    bool EndsInBody() const;
    // Every literal flag of the form (-file, -x of -x|-y|-z), in order.
    std::vector<std::string> Flags() const;
    // The words of the shortest call the form takes: "1" for a placeholder,
    // "{1 2}" for a list, a choice's first, "{}" for a body; the optional
    // items left out.
    std::vector<std::string> Example() const;

    // Some keyword or choice of the form is a number ("-dims 2|3"): a
    // number in a call may then be more than a value.
    bool HasNumberKeyword() const;

    // Most words a form is matched against; a longer command is not checked.
    static constexpr size_t kMaxWords = 400;

private:
    struct CItem
    {
        enum class EKind
        {
            Placeholder,
            Literal,
            Choice,
            Optional,
            Body,
        } kind = EKind::Placeholder;
        std::string text;                 // a placeholder's name, a literal
        std::vector<std::string> choices; // for Choice
        std::vector<CItem> items;         // for Optional
        bool bRepeats = false;
    };
    using CSequence = std::vector<CItem>;

    class CMatcher;

    CSequence m_items;
    std::string m_line;
};
