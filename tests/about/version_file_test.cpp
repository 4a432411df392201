// Reading the published version file and comparing versions.
#include "about/UpdateCheck.h"
#include "about/VersionFile.h"
#include "search/Settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(FIXTURES) + "/" + name + ".xml", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(VersionFile, ReadsTheProductsEntryFromTheFixtures) {
    struct Case {
        const char* file;
        char separator;
        bool found;
        double version;
        const char* url;
    };
    const std::vector<Case> cases = {
        // Other products and a second entry of ours are passed over.
        {"newer", '.', true, 1.01, "http://www.findaro.example/download/findaro-1.01.tar.gz"},
        {"equal", '.', true, 1.0, "http://www.findaro.example/download/equal"},
        {"lower", '.', true, 0.99, "http://www.findaro.example/download/lower"},
        {"comma", '.', false, 0, ""},
        {"comma", ',', true, 1.5, "http://www.findaro.example/download/comma"},
        {"nan", '.', false, 0, ""},
        {"noproduct", '.', false, 0, ""}, // names match case and all
        {"noversion", '.', false, 0, ""},
        {"notweb", '.', true, 2.0, "file:///etc/passwd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " with '" + c.separator + "'");
        TVersionFileEntry e = ReadVersionFile(Fixture(c.file), "Findaro", c.separator);
        EXPECT_EQ(e.Found, c.found);
        if (c.found) {
            EXPECT_DOUBLE_EQ(e.Version, c.version);
            EXPECT_EQ(e.URL, c.url);
        }
    }
}

TEST(VersionFile, MissingPiecesAndWrongShapes) {
    auto found = [](const std::string& body) {
        return ReadVersionFile(body, "Findaro", '.').Found;
    };
    EXPECT_FALSE(found("<Other><Findaro><Version>2</Version><URL>u</URL></Findaro></Other>"));
    EXPECT_FALSE(
        found("<ProductVersions><Findaro><Version>2</Version></Findaro></ProductVersions>"));
    EXPECT_TRUE(found("<?xml version=\"1.0\"?><!-- c --><ProductVersions a=\"1\"><Findaro>"
                      "<Version> 2.0 </Version><URL/></Findaro></ProductVersions>"));
    EXPECT_THROW(ReadVersionFile(Fixture("malformed"), "Findaro", '.'), TUpdateCheckError);
    EXPECT_THROW(ReadVersionFile(Fixture("urlchildren"), "Findaro", '.'), TUpdateCheckError);
    EXPECT_THROW(ReadVersionFile("<ProductVersions><Findaro><Version>1<b/></Version><URL>u</URL>"
                                 "</Findaro></ProductVersions>",
                                 "Findaro", '.'),
                 TUpdateCheckError);
    EXPECT_THROW(ReadVersionFile("", "Findaro", '.'), TUpdateCheckError);
    try {
        ReadVersionFile(Fixture("urlchildren"), "Findaro", '.');
    } catch (const TUpdateCheckError& e) {
        EXPECT_STREQ(e.what(), "The version file's \"URL\" element holds more than text");
    }
}

TEST(VersionFile, VersionTextsAsNumbers) {
    struct Case {
        const char* text;
        char separator;
        bool ok;
        double value;
    };
    const std::vector<Case> cases = {
        {"1.5", '.', true, 1.5},  {"1.5", ',', true, 1.5}, {"1,5", ',', true, 1.5},
        {"1,5", '.', false, 0},   {" 2\n", '.', true, 2},  {"1.10", '.', true, 1.1},
        {"1e1", '.', true, 10},   {"-1", '.', true, -1},   {"", '.', false, 0},
        {"1.2.3", '.', false, 0}, {"inf", '.', false, 0},  {"nan", '.', false, 0},
        {"1.0b", '.', false, 0},  {"0x10", '.', false, 0}, {".", '.', false, 0},
    };
    for (const Case& c : cases) {
        double v = -99;
        EXPECT_EQ(ParseVersionNumber(c.text, c.separator, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
    // Numbers, not dotted components: 1.10 is below 1.9.
    EXPECT_FALSE(IsNewerVersion(1.10, 1.9));
    EXPECT_TRUE(IsNewerVersion(1.01, 1.0));
    EXPECT_FALSE(IsNewerVersion(1.0, 1.0));
}

TEST(UpdateCheckTexts, AddressesAndTheSocketErrorText) {
    EXPECT_EQ(VersionFileAddress(), "http://www.findaro.example/versions/versions.xml");
    EXPECT_EQ(SocketErrorText(111),
              "An Error occured whilst Checking for updates. \n\n Error Code : 111");
    for (const char* good : {"http://h/", "HTTPS://h.example/x?y", "http://h"})
        EXPECT_TRUE(IsWebAddress(good)) << good;
    for (const char* bad :
         {"file:///etc/passwd", "/usr/bin/xterm", "javascript:alert(1)", "ftp://h/", "http:///x",
          "http://", "mailto:a@b", "http://a b/", "httpx://h/", ""})
        EXPECT_FALSE(IsWebAddress(bad)) << bad;
}

} // namespace
