#pragma once

#include <string>
#include <string_view>

// How many arguments a procedure takes, from its proc's parameter list:
// the ones without a default, the ones with, and whether "args" takes the
// rest. A procedure whose parameters are not known takes any.
struct CProcSignature
{
    bool bKnown = false;
    int nRequired = 0;
    int nOptional = 0;
    bool bRest = false;
    std::string usage; // after the name: " b h", " b ?h?", " ?arg ...?"

    // From "proc name parameters ...": nothing known for a list Tcl cannot split.
    static CProcSignature Of(std::string_view parameters);
    // The number of arguments fits.
    bool Takes(int nArguments) const
    {
        return !bKnown ||
               (nArguments >= nRequired && (bRest || nArguments <= nRequired + nOptional));
    }

    friend bool operator==(const CProcSignature& a, const CProcSignature& b)
    {
        return a.bKnown == b.bKnown && a.nRequired == b.nRequired && a.nOptional == b.nOptional &&
               a.bRest == b.bRest;
    }
};
