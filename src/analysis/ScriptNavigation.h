#pragma once

#include "TextPlaces.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct CAnalysis;

// Where what a place of a script names is defined, and where it is used:
// a tag of the model (from the dry run's calls), a procedure, a variable,
// a sourced file. The analysis must be of the text as it stands. The
// editor's window (F12) and the language server both ask it.
class CScriptNavigation
{
public:
    struct CPlace
    {
        std::string file; // empty: the script itself
        long nStart = -1; // bytes [nStart, nEnd) of the script; -1: the line only
        long nEnd = -1;
        long nLine = 0; // from 1, when only the line is known
    };

    // path: where the script stands, for the files it sources; empty for a new one.
    CScriptNavigation(const std::string& text, std::string path, const CAnalysis& analysis);
    ~CScriptNavigation();

    std::optional<CPlace> Definition(size_t nOffset) const;
    // The definition first when bDeclaration.
    std::vector<CPlace> References(size_t nOffset, bool bDeclaration) const;

private:
    // The name at a place, "::" in front taken off, and whether it is read
    // as a variable there ($name, ${name}).
    std::string NameAt(size_t nOffset, bool& bVariable) const;
    // The place of a call of the dry run: the word of its line that holds
    // its nWord-th word's value, else the line's first word.
    CPlace CallPlace(size_t nCall, size_t nWord) const;
    std::vector<CPlace> TagReferences(size_t nOffset, bool bDeclaration, bool& bFound) const;

    const std::string& m_text;
    std::string m_path;
    const CAnalysis& m_analysis;
    mutable std::optional<CTextPlaces> m_places; // made when a call's line is wanted
};
