#pragma once
// The fifteen result columns and the seven search fields, each listed once.
// The request list, the result columns and rows, the filter, the settings
// file and the configuration dialog's check boxes all read these tables.

#include "search/Settings.h"

#include <cstdint>
#include <span>

struct ResultColumnDef {
    int32_t TOptionsRec::*Flag; // the Display* flag that shows the column
    const char* Key;            // its INI key, named as the field
    int32_t Default;            // when the key is absent or unreadable
    const char* Caption;        // the column's header text
    const char* BoxCaption;     // the configuration dialog's check box
    // Requested as spelled here; looked up in each entry without regard to case.
    const char* Attribute;
};

struct SearchFieldDef {
    int32_t TOptionsRec::*Flag; // the Search* flag that compares the attribute
    const char* Key;
    int32_t Default;
    const char* BoxCaption;
    const char* Attribute; // the filter's term is "(" Attribute "=" value ")"
};

// Display order, which is also the order of the requested attributes and of
// the keys in a saved file.
inline constexpr ResultColumnDef kResultColumns[] = {
    {&TOptionsRec::DisplayName, "DisplayName", 1, "Name", "Name", "name"},
    {&TOptionsRec::DisplayDisplayName, "DisplayDisplayName", 0, " Display Name", "Display Name",
     "displayName"},
    {&TOptionsRec::DisplayGivenName, "DisplayGivenName", 0, "Given Name", "Given Name",
     "givenName"},
    {&TOptionsRec::DisplaySurname, "DisplaySurname", 0, "Surname", "Surname", "sn"},
    {&TOptionsRec::DisplaySamAccountName, "DisplaySamAccountName", 0, "AccountName",
     "samAccountName", "sAMAccountName"},
    {&TOptionsRec::DisplayTelephoneNumber, "DisplayTelephoneNumber", 1, "Telephone Number",
     "Telephone Number", "telephoneNumber"},
    {&TOptionsRec::DisplayMobilePhone, "DisplayMobilePhone", 0, "Mobile Number", "Mobile Phone",
     "mobile"},
    {&TOptionsRec::DisplayFax, "DisplayFax", 0, "Fax Number", "Fax", "facsimileTelephoneNumber"},
    {&TOptionsRec::DisplayIPPhone, "DisplayIPPhone", 0, "IP Phone Number", "IP Phone", "ipPhone"},
    {&TOptionsRec::DisplayHomePhone, "DisplayHomePhone", 0, "Home Phone ", "Home Phone",
     "homePhone"},
    {&TOptionsRec::DisplayPager, "DisplayPager", 0, "Pager", "Pager", "pager"},
    // As the server's own schema spells it.
    {&TOptionsRec::DisplayDescription, "DisplayDescription", 0, "Description", "Description",
     "Description"},
    {&TOptionsRec::DisplayOffice, "DisplayOffice", 0, "Office", "Office",
     "physicalDeliveryOfficeName"},
    {&TOptionsRec::DisplayDepartment, "DisplayDepartment", 1, "Department", "Department",
     "department"},
    {&TOptionsRec::DisplayCompany, "DisplayCompany", 0, "Company", "Company", "company"},
};

// The order of the terms in the filter, whatever order the flags were set in.
inline constexpr SearchFieldDef kSearchFields[] = {
    {&TOptionsRec::SearchName, "SearchName", 1, "Name", "name"},
    {&TOptionsRec::SearchDisplayName, "SearchDisplayName", 1, "Display Name", "displayName"},
    {&TOptionsRec::SearchSurname, "SearchSurname", 1, "Surname", "sn"},
    {&TOptionsRec::SearchFirstName, "SearchFirstName", 1, "First Name", "givenName"},
    {&TOptionsRec::SearchTelephoneNumber, "SearchTelephoneNumber", 0, "Telephone Number",
     "telephoneNumber"},
    {&TOptionsRec::SearchSAMAccountName, "SearchSAMAccountName", 0, "SAM Account Name",
     "sAMAccountName"},
    {&TOptionsRec::SearchUPN, "SearchUPN", 0, "UPN", "userPrincipalName"},
};

inline std::span<const ResultColumnDef> ResultColumnTable() {
    return kResultColumns;
}
inline std::span<const SearchFieldDef> SearchFieldTable() {
    return kSearchFields;
}
