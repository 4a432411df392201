#include "cli/TerminalView.h"

#include <algorithm>

void TTerminalView::SetStatus(const std::string& text) {
    // The empty status only wipes the line in a window; there is nothing to print.
    if (!text.empty())
        messages_ << PrintableText(text) << '\n' << std::flush;
}

void TTerminalView::SetStatusLater(const std::string& text) {
    SetStatus(text);
}

void TTerminalView::ShowMessage(const std::string& text, const std::string& caption, MessageIcon) {
    messages_ << PrintableText(caption) << ": " << PrintableText(text) << '\n' << std::flush;
}

namespace {

struct Range {
    char32_t first;
    char32_t last;
};

constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064},
    {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF},
};

constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

template <size_t N> bool InRanges(char32_t c, const Range (&ranges)[N]) {
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [c](const Range& r) { return c >= r.first && c <= r.last; });
}

// Decodes one code point at `pos`; an invalid sequence yields one byte as U+FFFD.
char32_t NextCodePoint(const std::string& s, size_t& pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    int length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    }
    if (length == 0 || pos + length > s.size()) {
        ++pos;
        return 0xFFFD;
    }
    for (int k = 1; k < length; ++k) {
        if ((byte(pos + k) & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        c = (c << 6) | (byte(pos + k) & 0x3F);
    }
    pos += length;
    return c;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> HeaderCells(const std::vector<std::string>& columns) {
    std::vector<std::string> header;
    for (const std::string& caption : columns)
        header.push_back(PrintableText(Trimmed(caption)));
    return header;
}

std::string Cell(const std::vector<std::string>& row, size_t column) {
    return column < row.size() ? PrintableText(row[column]) : std::string();
}

} // namespace

size_t DisplayWidth(const std::string& utf8) {
    size_t width = 0;
    for (size_t pos = 0; pos < utf8.size();) {
        const char32_t c = NextCodePoint(utf8, pos);
        if (c < 0x0300) { // Latin text, the common case, needs no table
            ++width;
            continue;
        }
        if (InRanges(c, kZeroWidth))
            continue;
        width += InRanges(c, kWide) ? 2 : 1;
    }
    return width;
}

std::string PrintableText(const std::string& text) {
    std::string printable = text;
    for (char& c : printable)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return printable;
}

std::string FormatAligned(const std::vector<std::string>& columns,
                          const std::vector<std::vector<std::string>>& rows) {
    const std::vector<std::string> header = HeaderCells(columns);
    std::vector<size_t> widths(columns.size(), 0);
    for (size_t c = 0; c < columns.size(); ++c) {
        widths[c] = DisplayWidth(header[c]);
        for (const auto& row : rows)
            widths[c] = std::max(widths[c], DisplayWidth(Cell(row, c)));
    }

    std::string out;
    const auto addLine = [&](const auto& cellAt) {
        std::string line;
        for (size_t c = 0; c < columns.size(); ++c) {
            const std::string text = cellAt(c);
            line += text;
            if (c + 1 < columns.size())
                line.append(widths[c] - DisplayWidth(text) + 2, ' ');
        }
        // A last cell that is empty would leave the padding of the ones before it.
        line.erase(line.find_last_not_of(' ') + 1);
        out += line;
        out += '\n';
    };
    addLine([&](size_t c) { return header[c]; });
    for (const auto& row : rows)
        addLine([&](size_t c) { return Cell(row, c); });
    return out;
}

std::string FormatTsv(const std::vector<std::string>& columns,
                      const std::vector<std::vector<std::string>>& rows) {
    std::string out;
    const std::vector<std::string> header = HeaderCells(columns);
    const auto addLine = [&](const auto& cellAt) {
        for (size_t c = 0; c < columns.size(); ++c) {
            if (c > 0)
                out += '\t';
            out += cellAt(c);
        }
        out += '\n';
    };
    addLine([&](size_t c) { return header[c]; });
    for (const auto& row : rows)
        addLine([&](size_t c) { return Cell(row, c); });
    return out;
}
