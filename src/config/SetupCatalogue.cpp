#include "config/SetupCatalogue.h"

#include "search/ResultsTable.h"

#include <map>
#include <string>

// Stands in for the shared column and search-field catalogue until it is
// merged; then both lists come from it.
std::vector<TSetupFlagBox> SearchFieldBoxes() {
    return {
        {&TOptionsRec::SearchName, "SearchName", "Name"},
        {&TOptionsRec::SearchDisplayName, "SearchDisplayName", "Display Name"},
        {&TOptionsRec::SearchSurname, "SearchSurname", "Surname"},
        {&TOptionsRec::SearchFirstName, "SearchFirstName", "First Name"},
        {&TOptionsRec::SearchTelephoneNumber, "SearchTelephoneNumber", "Telephone Number"},
        {&TOptionsRec::SearchSAMAccountName, "SearchSAMAccountName", "SAM Account Name"},
        {&TOptionsRec::SearchUPN, "SearchUPN", "UPN"},
    };
}

std::vector<TSetupFlagBox> DisplayColumnBoxes() {
    return {
        {&TOptionsRec::DisplayName, "DisplayName", "Name"},
        {&TOptionsRec::DisplayDisplayName, "DisplayDisplayName", "Display Name"},
        {&TOptionsRec::DisplayGivenName, "DisplayGivenName", "Given Name"},
        {&TOptionsRec::DisplaySurname, "DisplaySurname", "Surname"},
        {&TOptionsRec::DisplaySamAccountName, "DisplaySamAccountName", "samAccountName"},
        {&TOptionsRec::DisplayTelephoneNumber, "DisplayTelephoneNumber", "Telephone Number"},
        {&TOptionsRec::DisplayMobilePhone, "DisplayMobilePhone", "Mobile Phone"},
        {&TOptionsRec::DisplayFax, "DisplayFax", "Fax"},
        {&TOptionsRec::DisplayIPPhone, "DisplayIPPhone", "IP Phone"},
        {&TOptionsRec::DisplayHomePhone, "DisplayHomePhone", "Home Phone"},
        {&TOptionsRec::DisplayPager, "DisplayPager", "Pager"},
        {&TOptionsRec::DisplayDescription, "DisplayDescription", "Description"},
        {&TOptionsRec::DisplayOffice, "DisplayOffice", "Office"},
        {&TOptionsRec::DisplayDepartment, "DisplayDepartment", "Department"},
        {&TOptionsRec::DisplayCompany, "DisplayCompany", "Company"},
    };
}
