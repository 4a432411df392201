#include "search/SearchRecorder.h"

#include "directory/LdapConnection.h"
#include "search/ResultsTable.h"
#include "search/SearchRun.h"
#include "search/Settings.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Cells = std::vector<std::string>;
using Attr = std::pair<std::string, std::vector<std::string>>;

void ShowOnly(std::initializer_list<int32_t TOptionsRec::*> flags) {
    for (const ResultColumnDef& column : ResultColumnTable())
        OptionsRec.*column.Flag = 0;
    for (auto flag : flags)
        OptionsRec.*flag = 1;
}

void ShowAll() {
    for (const ResultColumnDef& column : ResultColumnTable())
        OptionsRec.*column.Flag = 1;
}

std::unique_ptr<TQMLDObject> Entry(const std::string& dn, const std::vector<Attr>& attributes) {
    auto entry = std::make_unique<TQMLDObject>();
    entry->DN = dn;
    for (const auto& [name, values] : attributes) {
        auto attribute = std::make_unique<TQMLDAttribute>();
        attribute->Name = name;
        for (const std::string& value : values) {
            auto v = std::make_unique<TQMLDAttributeValue>();
            v->SetValue(value.data(), static_cast<uint32_t>(value.size()));
            attribute->Values.push_back(std::move(v));
        }
        entry->Attributes.push_back(std::move(attribute));
    }
    return entry;
}

// A connection as a successful search leaves it: entries and their count.
void Collect(TQMLDAP& connection, std::vector<std::unique_ptr<TQMLDObject>> entries) {
    connection.Entries = std::move(entries);
    connection.EntryCount = static_cast<int32_t>(connection.Entries.size());
}

const std::vector<Attr> kZoe = {
    {"name", {"Zoë Müller"}},
    {"telephoneNumber", {"+49 30 1234567"}},
    {"department", {"Sales"}},
};
const std::vector<Attr> kAdam = {
    {"name", {"Adam Smithers"}},
    {"department", {"Platform"}},
};
const std::vector<Attr> kJane = {
    {"name", {"Jane Smith"}},
    {"sAMAccountName", {"jasmith"}},
    {"telephoneNumber", {"+1 555 0101", "+1 555 0102"}},
    {"facsimileTelephoneNumber", {"+1 555 0109"}},
    {"Description", {"Platform lead"}},
    {"department", {"Engineering"}},
};

} // namespace

TEST(ResultColumns, CaptionsFollowTheFlagsInTableOrder) {
    TSearchRecorder table;
    table.Rows = {{"stale"}};
    ShowOnly({&TOptionsRec::DisplayDepartment, &TOptionsRec::DisplayName,
              &TOptionsRec::DisplayTelephoneNumber});
    BuildResultColumns(table, OptionsRec);
    EXPECT_EQ(table.Calls, (Cells{"ClearRows", "ClearColumns", "AddColumn:Name",
                                  "AddColumn:Telephone Number", "AddColumn:Department"}));
    EXPECT_TRUE(table.Rows.empty());

    ShowAll();
    BuildResultColumns(table, OptionsRec);
    EXPECT_EQ(table.Columns,
              (Cells{"Name", " Display Name", "Given Name", "Surname", "AccountName",
                     "Telephone Number", "Mobile Number", "Fax Number", "IP Phone Number",
                     "Home Phone ", "Pager", "Description", "Office", "Department", "Company"}));

    ShowOnly({});
    BuildResultColumns(table, OptionsRec);
    EXPECT_TRUE(table.Columns.empty());
}

TEST(ResultRows, OneTextPerShownColumnFromTheFirstValue) {
    const auto defaults = {&TOptionsRec::DisplayName, &TOptionsRec::DisplayTelephoneNumber,
                           &TOptionsRec::DisplayDepartment};
    struct Case {
        const char* what;
        std::initializer_list<int32_t TOptionsRec::*> flags;
        std::vector<std::vector<Attr>> entries;
        std::vector<Cells> rows;
    };
    const Case cases[] = {
        {"defaults; no phone leaves the middle cell empty",
         defaults,
         {kZoe, kAdam},
         {{"Zoë Müller", "+49 30 1234567", "Sales"}, {"Adam Smithers", "", "Platform"}}},
        {"department only becomes the caption",
         {&TOptionsRec::DisplayDepartment},
         {kZoe, kAdam},
         {{"Sales"}, {"Platform"}}},
        {"every flag off still gives one row per entry", {}, {kZoe, kAdam, kJane}, {{}, {}, {}}},
        {"two telephone numbers show the first",
         {&TOptionsRec::DisplayTelephoneNumber},
         {kJane},
         {{"+1 555 0101"}}},
        {"fax reads facsimileTelephoneNumber",
         {&TOptionsRec::DisplayFax},
         {kJane, kZoe},
         {{"+1 555 0109"}, {""}}},
        {"names match without regard to case",
         {&TOptionsRec::DisplaySamAccountName, &TOptionsRec::DisplayDescription},
         {kJane},
         {{"jasmith", "Platform lead"}}},
        {"no entries, no rows", defaults, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShowOnly(c.flags);
        TQMLDAP connection;
        std::vector<std::unique_ptr<TQMLDObject>> entries;
        for (const auto& attributes : c.entries)
            entries.push_back(Entry("CN=x", attributes));
        Collect(connection, std::move(entries));

        TSearchRecorder table;
        table.Rows = {{"earlier row"}};
        AddResultRows(table, connection, OptionsRec);
        std::vector<Cells> expected = {{"earlier row"}};
        expected.insert(expected.end(), c.rows.begin(), c.rows.end());
        EXPECT_EQ(table.Rows, expected);
    }
}

TEST(RequestedAttributes, FollowTheFlagsInTableOrder) {
    struct Case {
        bool all;
        std::initializer_list<int32_t TOptionsRec::*> flags;
        Cells names;
    };
    const Case cases[] = {
        {true,
         {},
         {"name", "displayName", "givenName", "sn", "sAMAccountName", "telephoneNumber", "mobile",
          "facsimileTelephoneNumber", "ipPhone", "homePhone", "pager", "Description",
          "physicalDeliveryOfficeName", "department", "company"}},
        {false,
         {&TOptionsRec::DisplayDepartment, &TOptionsRec::DisplayName,
          &TOptionsRec::DisplayTelephoneNumber},
         {"name", "telephoneNumber", "department"}},
        {false, {}, {}},
    };
    for (const Case& c : cases) {
        if (c.all)
            ShowAll();
        else
            ShowOnly(c.flags);
        TQMLDAP connection;
        AddRequestedAttributes(connection, OptionsRec);
        EXPECT_EQ(connection.AttributeNames, c.names);
    }
}
