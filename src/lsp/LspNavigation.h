#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

class CLspDocument;
struct CAnalysis;

// Where what a place of a script names is defined, and where it is used:
// a tag of the model (from the dry run's calls), a procedure, a variable,
// a sourced file. The analysis is of the document's text as it stands.
class CLspNavigation
{
public:
    CLspNavigation(std::string uri, const CLspDocument& document, const CAnalysis& analysis);

    // A Location, or null.
    nlohmann::json Definition(size_t nOffset) const;
    // Locations, the definition first when bDeclaration.
    nlohmann::json References(size_t nOffset, bool bDeclaration) const;

private:
    // The name at a place, "::" in front taken off, and whether it is read
    // as a variable there ($name, ${name}).
    std::string NameAt(size_t nOffset, bool& bVariable) const;
    // The place of a call of the dry run: the word of it that holds its
    // nWord-th word's value in the document's line, else the line's start.
    nlohmann::json CallLocation(size_t nCall, size_t nWord) const;
    nlohmann::json TagReferences(size_t nOffset, bool bDeclaration, bool& bFound) const;

    std::string m_uri;
    const CLspDocument& m_document;
    const CAnalysis& m_analysis;
};
