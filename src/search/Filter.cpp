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

std::string EscapeFilterValue(const std::string& text) {
    // RFC 4515 wants "*" escaped too; it stays a wildcard here because users
    // type it as one.
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '(':
            out += "\\28";
            break;
        case ')':
            out += "\\29";
            break;
        case '\\':
            out += "\\5c";
            break;
        case '\0':
            out += "\\00";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string BuildFilter(const std::string& searchText) {
    std::string value = EscapeFilterValue(searchText);
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
