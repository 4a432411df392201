#include "search/ProfileFile.h"

#include "search/test_files.h"

#include <gtest/gtest.h>

namespace {

const std::string Fixture = "; settings prepared by the administrator\r\n"
                            "[Other]\r\n"
                            "Colour = blue \r\n"
                            "\r\n"
                            "[settings]\r\n"
                            "  MaxResults  =  250  \r\n"
                            "Domain='CORP'\r\n"
                            "Dn=\"OU=Staff,DC=x\"\r\n"
                            "Mixed='abc\"\r\n"
                            "Lone=\"\r\n"
                            "Formula=a=b=c\r\n"
                            "Empty=\r\n"
                            "Twice=first\r\n"
                            "Twice=second\r\n"
                            ";MaxResults=9\r\n"
                            "\r\n"
                            "[Last]\r\n"
                            "Colour=red\r\n";

TEST(ProfileFile, ReadsValuesByTheProfileRules) {
    TempDir dir;
    const std::string ini = dir.file("a.INI");
    WriteFile(ini, Fixture);

    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"Settings", "maxresults", "250"}, // names ignore case, blanks trimmed
        {"SETTINGS", "Domain", "CORP"},    // one pair of single quotes removed
        {"Settings", "DN", "OU=Staff,DC=x"},
        {"Settings", "Mixed", "'abc\""}, // quotes that do not pair stay
        {"Settings", "Lone", "\""},
        {"Settings", "Formula", "a=b=c"}, // only the first "=" separates
        {"Settings", "Empty", ""},
        {"Settings", "Twice", "first"},
        {"Settings", "Colour", "<def>"}, // belongs to other sections
        {"Other", "Colour", "blue"},
        {"Last", "colour", "red"},
        {"Settings", "Missing", "<def>"},
        {"Nowhere", "MaxResults", "<def>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadProfileString(ini, c.section, c.key, "<def>"), c.expected)
            << c.section << "/" << c.key;

    EXPECT_EQ(ReadProfileString(dir.file("none.INI"), "Settings", "MaxResults", "<def>"), "<def>");
    EXPECT_EQ(ReadProfileString(dir.path(), "Settings", "MaxResults", "<def>"), "<def>");
}

TEST(ProfileFile, ReadsAtMost2047Characters) {
    TempDir dir;
    const std::string ini = dir.file("a.INI");
    const std::string longValue(3000, 'v');
    WriteFile(ini, "[Settings]\nExact=" + std::string(2047, 'e') + "\nLong=\"" + longValue +
                       "\"\nAfter=1\n");
    EXPECT_EQ(ReadProfileString(ini, "Settings", "Exact", ""), std::string(2047, 'e'));
    EXPECT_EQ(ReadProfileString(ini, "Settings", "Long", ""), std::string(2047, 'v'));
    EXPECT_EQ(ReadProfileString(ini, "Settings", "After", ""), "1");
}

TEST(ProfileFile, ReadsKeysOfASectionAfterAByteOrderMark) {
    TempDir dir;
    const std::string ini = dir.file("a.INI");
    WriteFile(ini, "\xEF\xBB\xBF[Settings]\r\nA=1\r\n[X]\r\nB=2\r\n[settings]\r\nC=3\r\n");
    EXPECT_EQ(ReadProfileKeys(ini, "SETTINGS"), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(ReadProfileInt(ini, "Settings", "A", 0), 1);
}

TEST(ProfileFile, ParsesIntegers) {
    struct Case {
        const char* text;
        bool valid;
        int32_t value;
    } cases[] = {
        {"0", true, 0},
        {"42", true, 42},
        {"007", true, 7},
        {"-5", true, -5},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"0x1F", true, 31},
        {"0X1f", true, 31},
        {"$ff", true, 255},
        {"$7FFFFFFF", true, 2147483647},
        {"0xFFFFFFFF", true, -1}, // the 32-bit pattern
        {"0x100000000", false, 0},
        {"0x", false, 0},
        {"$", false, 0},
        {"-", false, 0},
        {"", false, 0},
        {"abc", false, 0},
        {"12abc", false, 0},
        {"0x1G", false, 0},
        {"+5", false, 0},
        {"-0x5", false, 0},
        {"1 2", false, 0},
        {"1.5", false, 0},
    };
    for (const Case& c : cases) {
        int32_t v = 12345;
        EXPECT_EQ(ParseProfileInt(c.text, v), c.valid) << '"' << c.text << '"';
        if (c.valid) {
            EXPECT_EQ(v, c.value) << '"' << c.text << '"';
        }
    }
}

TEST(ProfileFile, ReadsIntegersAfterTrimmingAndUnquoting) {
    TempDir dir;
    const std::string ini = dir.file("a.INI");
    WriteFile(ini, "[Settings]\nA= 42 \nB='0x10'\nC=\"\"\nD=abc\nE=\t-7\n");
    EXPECT_EQ(ReadProfileInt(ini, "Settings", "A", -1), 42);
    EXPECT_EQ(ReadProfileInt(ini, "Settings", "B", -1), 16);
    EXPECT_EQ(ReadProfileInt(ini, "Settings", "C", -1), -1);
    EXPECT_EQ(ReadProfileInt(ini, "Settings", "D", -1), -1);
    EXPECT_EQ(ReadProfileInt(ini, "Settings", "E", -1), -7);
    EXPECT_EQ(ReadProfileInt(ini, "Settings", "F", -1), -1);
}

TEST(ProfileFile, WritesSingleKeysAndKeepsEveryOtherByte) {
    TempDir dir;
    const std::string ini = dir.file("a.INI");
    WriteFile(ini, Fixture);

    ASSERT_TRUE(WriteProfileString(ini, "Settings", "MAXRESULTS", "300")); // in place
    ASSERT_TRUE(WriteProfileString(ini, "Settings", "Twice", "x"));        // first one only
    ASSERT_TRUE(WriteProfileString(ini, "Settings", "NewKey", "v"));       // end of the section
    ASSERT_TRUE(WriteProfileString(ini, "Fresh", "K", "1"));               // new section at the end

    EXPECT_EQ(ReadFile(ini), "; settings prepared by the administrator\r\n"
                             "[Other]\r\n"
                             "Colour = blue \r\n"
                             "\r\n"
                             "[settings]\r\n"
                             "  MaxResults  =300\r\n"
                             "Domain='CORP'\r\n"
                             "Dn=\"OU=Staff,DC=x\"\r\n"
                             "Mixed='abc\"\r\n"
                             "Lone=\"\r\n"
                             "Formula=a=b=c\r\n"
                             "Empty=\r\n"
                             "Twice=x\r\n"
                             "Twice=second\r\n"
                             ";MaxResults=9\r\n"
                             "NewKey=v\r\n"
                             "\r\n"
                             "[Last]\r\n"
                             "Colour=red\r\n"
                             "[Fresh]\r\n"
                             "K=1\r\n");
    EXPECT_EQ(ReadProfileString(ini, "Settings", "MaxResults", ""), "300");
}

TEST(ProfileFile, KeepsTheLineEndingsOfTheFile) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        {"new file gets CRLF", "", "[Settings]\r\nA=1\r\n"},
        {"LF stays LF", "[Settings]\nB=2\n", "[Settings]\nB=2\nA=1\n"},
        {"CRLF stays CRLF", "[Settings]\r\nB=2\r\n", "[Settings]\r\nB=2\r\nA=1\r\n"},
        {"unterminated last line", "[Settings]\nB=2", "[Settings]\nB=2\nA=1\n"},
        {"replaced line keeps its own ending", "[Settings]\r\nA=0\n", "[Settings]\r\nA=1\n"},
        {"other sections only", "[X]\nY=1", "[X]\nY=1\n[Settings]\nA=1\n"},
        // Carriage returns before a line feed, or at the end, end the line.
        {"CR CR LF", "[Settings]\r\r\nB=2\r\r\n", "[Settings]\r\r\nB=2\r\r\nA=1\r\n"},
        {"CR CR LF replaced", "[Settings]\r\r\nA=0\r\r\n", "[Settings]\r\r\nA=1\r\r\n"},
        {"lone CR at the end", "[Settings]\nB=2\r", "[Settings]\nB=2\r\nA=1\n"},
        {"lone CR after a section", "[Settings]\r", "[Settings]\r\nA=1\r\n"},
        {"lone CR in a line stays text", "[Settings]\nB=2\rA=0\n",
         "[Settings]\nB=2\rA=0\nA=1\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string ini = dir.file("a.INI");
        if (!c.before.empty())
            WriteFile(ini, c.before);
        ASSERT_TRUE(WriteProfileString(ini, "Settings", "A", "1")) << c.name;
        EXPECT_EQ(ReadFile(ini), c.after) << c.name;
        EXPECT_EQ(ReadProfileString(ini, "Settings", "A", ""), "1") << c.name;
    }
}

TEST(ProfileFile, RefusesWhatCannotBeWrittenAndLeavesNoTrace) {
    TempDir dir;
    const std::string ini = dir.file("a.INI");
    WriteFile(ini, "[Settings]\nA=0\n");

    // A line break would inject lines of its own into the file.
    EXPECT_FALSE(WriteProfileString(ini, "Settings", "A", "1\r\nHideConfig=0"));
    EXPECT_FALSE(WriteProfileString(ini, "Settings", "A=B", "1"));
    EXPECT_FALSE(WriteProfileString(ini, "Set]tings", "A", "1"));
    EXPECT_EQ(ReadFile(ini), "[Settings]\nA=0\n");

    // The file name is taken by a folder: fails for root as well.
    const std::string folder = dir.file("b.INI");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    EXPECT_FALSE(WriteProfileString(folder, "Settings", "A", "1"));

    // A folder that does not exist cannot take a new file.
    EXPECT_FALSE(WriteProfileString(dir.file("missing/c.INI"), "Settings", "A", "1"));

    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"a.INI", "b.INI"}));
    EXPECT_TRUE(ListDir(folder).empty());
}

} // namespace
