#include "search/Filter.h"

#include "search/Columns.h"

#include <algorithm>

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

std::string BuildFilter(const TOptionsRec& options, const std::string& searchText) {
    std::string value = EscapeFilterValue(searchText);
    if (options.SearchType == 1)
        value += "*";
    else if (options.SearchType == 2)
        value = "*" + value + "*";
    // libldap refuses an empty piece between two wildcards ("**"), so that an
    // empty text in mode 2 could not be searched at all; one stands for many.
    value.erase(std::unique(value.begin(), value.end(),
                            [](char a, char b) { return a == '*' && b == '*'; }),
                value.end());

    std::string terms;
    int count = 0;
    for (const SearchFieldDef& field : SearchFieldTable()) {
        if (options.*field.Flag != 0) {
            terms += std::string("(") + field.Attribute + "=" + value + ")";
            ++count;
        }
    }
    if (count >= 2)
        terms = "(|" + terms + ")";
    return "(&(objectClass=user)" + terms + ")";
}
