#include "search/Filter.h"

#include "search/Columns.h"

std::string BuildFilter(const TOptionsRec& options, const std::string& searchText) {
    // Deliberately not escaped: a typed "*" is a wildcard in every mode.
    std::string value = searchText;
    if (options.SearchType == 1)
        value += "*";
    else if (options.SearchType == 2)
        value = "*" + value + "*";

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
