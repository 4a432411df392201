#include "search/Filter.h"

#include "search/Settings.h"

namespace {

struct SearchTerm {
    int32_t TOptionsRec::*Flag;
    const char* Opening;
};

// The order of the terms in the filter, whatever order the flags were set in.
const SearchTerm SearchTerms[] = {
    {&TOptionsRec::SearchName, "(name="},
    {&TOptionsRec::SearchDisplayName, "(displayName="},
    {&TOptionsRec::SearchSurname, "(sn="},
    {&TOptionsRec::SearchFirstName, "(givenName="},
    {&TOptionsRec::SearchTelephoneNumber, "(telephoneNumber="},
    {&TOptionsRec::SearchSAMAccountName, "(sAMAccountName="},
    {&TOptionsRec::SearchUPN, "(userPrincipalName="},
};

} // namespace

std::string BuildFilter(const std::string& searchText) {
    // Deliberately not escaped: a typed "*" is a wildcard in every mode.
    std::string value = searchText;
    if (OptionsRec.SearchType == 1)
        value += "*";
    else if (OptionsRec.SearchType == 2)
        value = "*" + value + "*";

    std::string terms;
    int count = 0;
    for (const SearchTerm& t : SearchTerms) {
        if (OptionsRec.*(t.Flag) != 0) {
            terms += t.Opening + value + ")";
            ++count;
        }
    }
    if (count >= 2)
        terms = "(|" + terms + ")";
    return "(&(objectClass=user)" + terms + ")";
}
