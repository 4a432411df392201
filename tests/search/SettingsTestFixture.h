#pragma once
// What the settings tests share: a first save of the defaults and a fixture
// whose settings file lives in a scratch folder.

#include "search/Settings.h"

#include "search/test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace settingstest {

// A first save of the defaults with two containers, in the order of a save.
inline const std::string FirstSave = "[Settings]\r\n"
                              "SearchType=1\r\n"
                              "SearchName=1\r\n"
                              "SearchDisplayName=1\r\n"
                              "SearchSurname=1\r\n"
                              "SearchFirstName=1\r\n"
                              "SearchTelephoneNumber=0\r\n"
                              "SearchSAMAccountName=0\r\n"
                              "SearchUPN=0\r\n"
                              "DisplayName=1\r\n"
                              "DisplayDisplayName=0\r\n"
                              "DisplayGivenName=0\r\n"
                              "DisplaySurname=0\r\n"
                              "DisplaySamAccountName=0\r\n"
                              "DisplayTelephoneNumber=1\r\n"
                              "DisplayMobilePhone=0\r\n"
                              "DisplayFax=0\r\n"
                              "DisplayIPPhone=0\r\n"
                              "DisplayHomePhone=0\r\n"
                              "DisplayPager=0\r\n"
                              "DisplayDescription=0\r\n"
                              "DisplayOffice=0\r\n"
                              "DisplayDepartment=1\r\n"
                              "DisplayCompany=0\r\n"
                              "FormWidth=500\r\n"
                              "FormHeight=400\r\n"
                              "MaxResults=100\r\n"
                              "DNCount=2\r\n"
                              "CurrentDomain=1\r\n"
                              "SearchReferrals=0\r\n"
                              "SearchChildren=1\r\n"
                              "DomainName=\r\n"
                              "HookHotkey=1\r\n"
                              "HideConfig=0\r\n"
                              "SearchTimeout=10\r\n"
                              "SearchDN0=OU=Staff,DC=example,DC=com\r\n"
                              "SearchDN1=CN=Users,DC=example,DC=com\r\n";

// The key lines of FirstSave, one string each, without line endings.
inline std::vector<std::string> FirstSaveKeyLines() {
    std::vector<std::string> lines;
    size_t pos = FirstSave.find("\r\n") + 2;
    while (pos < FirstSave.size()) {
        size_t end = FirstSave.find("\r\n", pos);
        lines.push_back(FirstSave.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

inline std::string Join(const std::vector<std::string>& lines, size_t count, const std::string& eol) {
    std::string out;
    for (size_t i = 0; i < count; ++i)
        out += lines[i] + eol;
    return out;
}

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        OptionsRec = TOptionsRec{};
        ini = dir.file("findaro.INI");
        SetSettingsFilePath(ini);
    }
    void TearDown() override {
        SetSettingsFilePath("");
        OptionsRec = TOptionsRec{};
    }

    TempDir dir;
    std::string ini;
};

} // namespace settingstest
