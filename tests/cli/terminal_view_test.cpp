#include "cli/TerminalView.h"

#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// Display column at which the text `cell` starts in `line`.
size_t ColumnOf(const std::string& line, const std::string& cell) {
    const size_t at = line.find(cell);
    EXPECT_NE(at, std::string::npos) << cell << " not in " << line;
    return DisplayWidth(line.substr(0, at));
}

} // namespace

TEST(TerminalText, DisplayWidthCountsTerminalColumns) {
    struct Case {
        const char* text;
        size_t width;
    };
    const Case cases[] = {
        {"", 0},
        {"Smith, John", 11},
        {"Zoë Müller", 10},                 // precomposed: two bytes, one column each
        {"Zoe\xCC\x88 Mu\xCC\x88ller", 10}, // combining diaeresis takes no column
        {"José Núñez", 10},
        {"\xE7\x94\xB0\xE4\xB8\xAD", 4}, // two wide CJK characters
        {"a\xFF"
         "b",
         3},             // an invalid byte still takes one column
        {"\xE2\x82", 2}, // a cut-off sequence, byte by byte
    };
    for (const Case& c : cases)
        EXPECT_EQ(DisplayWidth(c.text), c.width) << c.text;
}

TEST(TerminalText, AlignedColumnsLineUpByDisplayWidth) {
    const Lines columns = {"Name", "Telephone Number", "Department"};
    const std::vector<Lines> rows = {
        {"Zoë Müller", "+49 30 1234567", "Sales"},
        {"Smith, John", "+1 555 0100", "Sales"},
        {"Adam Smithers", "", "Platform"},
        {"\xE7\x94\xB0\xE4\xB8\xAD", "1", ""},
    };
    const Lines lines = SplitLines(FormatAligned(columns, rows));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Name           Telephone Number  Department");
    for (size_t r = 0; r < rows.size(); ++r) {
        SCOPED_TRACE(lines[r + 1]);
        EXPECT_EQ(lines[r + 1].rfind(rows[r][0], 0), 0u);
        if (!rows[r][1].empty()) {
            EXPECT_EQ(ColumnOf(lines[r + 1], rows[r][1]), 15u);
        }
        if (!rows[r][2].empty()) {
            EXPECT_EQ(ColumnOf(lines[r + 1], rows[r][2]), 33u);
        }
        EXPECT_NE(lines[r + 1].back(), ' ');
    }
}

TEST(TerminalText, CaptionsTrimmedAndControlCharactersBlanked) {
    const Lines columns = {" Display Name", "Home Phone ", "Description"};
    const std::vector<Lines> rows = {
        {"Jane Smith", "+1 555 0104", "line one\nline two\tend\x1B[31m"},
    };
    EXPECT_EQ(FormatTsv(columns, rows), "Display Name\tHome Phone\tDescription\n"
                                        "Jane Smith\t+1 555 0104\tline one line two end [31m\n");
    const Lines aligned = SplitLines(FormatAligned(columns, rows));
    ASSERT_EQ(aligned.size(), 2u);
    EXPECT_EQ(aligned[1].find('\x1B'), std::string::npos);
}

TEST(TerminalText, RowsWithoutColumnsAreEmptyLines) {
    EXPECT_EQ(FormatTsv({}, {{}, {}}), "\n\n\n");
    EXPECT_EQ(FormatAligned({}, {{}, {}}), "\n\n\n");
}
