#pragma once

#include "Finding.h"

#include <string_view>
#include <vector>

class CTextPlaces;

// The findings of every source made one list: each placed by line and
// column, a mistake that two sources report (same line, same cause) kept
// once, the script's findings in the order of their places and those of
// sourced files after them; less what the script's comments silence
// (CSuppressions).
namespace FindingMerge
{
std::vector<CFinding> Merge(std::vector<CFinding> check, std::vector<CFinding> run,
                            const CTextPlaces& places);

// The findings of an older text carried to a newer one: those before the
// first changed byte keep their places, those after the last one move with
// the text, those on the lines between are dropped. Used for the dry run's
// findings until the newer text has its own.
std::vector<CFinding> CarryOver(const std::vector<CFinding>& findings, std::string_view oldText,
                                std::string_view newText, const CTextPlaces& newPlaces);

// The run's error is the same mistake as the check's finding.
bool SameCause(const CFinding& check, const CFinding& run);
} // namespace FindingMerge
