#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a command of the library gives back, as a "Returns:" line of its help
// writes it:
//   Returns: 0                    the words as they stand: the value it gives
//                                 when it succeeds
//   Returns: <number>             a number
//   Returns: <integer>            an integer
//   Returns: <number>*<nModes>    as many numbers as the call's <nModes> says
// A command whose help has no such line gives an empty result. The dry run
// hands back a plausible value of that kind: the success value, positive
// numbers (1.0 2.0 3.0 ...), so that a script that uses a result runs on.
class CReturnValue
{
public:
    // The value of a "Returns:" line's rest; nothing for a rest it cannot read.
    static std::optional<CReturnValue> Parse(std::string_view rest);
    // The value of the first "Returns:" line of a record's help, if any.
    static std::optional<CReturnValue> InText(std::string_view text);

    // The plausible value for a call, given the placeholder each of its words
    // stands for (names, as a usage form binds them; empty when none fits)
    // and the words themselves.
    std::string Plausible(const std::vector<std::string_view>& names,
                          const std::vector<std::string_view>& words) const;

    // Most numbers a counted value holds.
    static constexpr long kMostNumbers = 1000;

private:
    enum class EKind
    {
        Literal,
        Number,
        Integer,
    };
    EKind m_kind = EKind::Literal;
    std::string m_literal;
    std::string m_countName; // the placeholder that gives the count, or empty for one
};
