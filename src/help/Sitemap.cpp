#include "help/Sitemap.h"

#include <cctype>
#include <cstdlib>
#include <map>

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x110000) {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

std::string DecodeEntities(const std::string& text) {
    static const std::map<std::string, std::string> named{{"amp", "&"},  {"lt", "<"},
                                                          {"gt", ">"},   {"quot", "\""},
                                                          {"apos", "'"}, {"nbsp", "\xC2\xA0"}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t semi = text[i] == '&' ? text.find(';', i) : std::string::npos;
        if (semi == std::string::npos || semi - i > 10) {
            out += text[i];
            continue;
        }
        const std::string name = text.substr(i + 1, semi - i - 1);
        if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            char* end = nullptr;
            const unsigned long code =
                std::strtoul(name.c_str() + (hex ? 2 : 1), &end, hex ? 16 : 10);
            if (end && *end == '\0') {
                AppendUtf8(out, code);
                i = semi;
                continue;
            }
        } else if (const auto found = named.find(Lower(name)); found != named.end()) {
            out += found->second;
            i = semi;
            continue;
        }
        out += text[i];
    }
    return out;
}

struct Tag {
    std::string name;                              // lower case, "/ul" for a closing tag
    std::map<std::string, std::string> attributes; // names in lower case
};

// Reads the tag that starts at text[at] == '<'; `at` ends after its '>'.
Tag ReadTag(const std::string& text, size_t& at) {
    Tag tag;
    size_t i = at + 1;
    auto skipBlanks = [&] {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
    };
    auto readWord = [&] {
        const size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) &&
               text[i] != '>' && text[i] != '=' && !(text[i] == '/' && i > start))
            ++i;
        return Lower(text.substr(start, i - start));
    };
    tag.name = readWord();
    for (;;) {
        skipBlanks();
        if (i >= text.size() || text[i] == '>')
            break;
        if (text[i] == '/') {
            ++i;
            continue;
        }
        const std::string name = readWord();
        skipBlanks();
        std::string value;
        if (i < text.size() && text[i] == '=') {
            ++i;
            skipBlanks();
            if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
                const char quote = text[i++];
                const size_t end = text.find(quote, i);
                value = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
                i = end == std::string::npos ? text.size() : end + 1;
            } else {
                const size_t start = i;
                while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) &&
                       text[i] != '>')
                    ++i;
                value = text.substr(start, i - start);
            }
        }
        if (name.empty())
            ++i; // a stray character: step over it
        else
            tag.attributes.emplace(name, DecodeEntities(value));
    }
    at = i < text.size() ? i + 1 : text.size();
    return tag;
}

} // namespace

std::vector<TSitemapEntry> ParseSitemap(const std::string& html) {
    std::vector<TSitemapEntry> entries;
    int depth = 0;
    bool inObject = false;
    TSitemapEntry entry;
    for (size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at)) {
        if (html.compare(at, 4, "<!--") == 0) {
            const size_t end = html.find("-->", at);
            at = end == std::string::npos ? html.size() : end + 3;
            continue;
        }
        const Tag tag = ReadTag(html, at);
        if (tag.name == "ul") {
            ++depth;
        } else if (tag.name == "/ul") {
            depth = depth > 0 ? depth - 1 : 0;
        } else if (tag.name == "object") {
            const auto type = tag.attributes.find("type");
            inObject = type != tag.attributes.end() && Lower(type->second) == "text/sitemap";
            entry = TSitemapEntry{depth > 0 ? depth : 1, {}, {}};
        } else if (tag.name == "param" && inObject) {
            const auto name = tag.attributes.find("name");
            const auto value = tag.attributes.find("value");
            if (name == tag.attributes.end() || value == tag.attributes.end())
                continue;
            const std::string key = Lower(name->second);
            if (key == "name" && entry.Name.empty())
                entry.Name = value->second;
            else if (key == "local" && entry.Local.empty())
                entry.Local = value->second;
        } else if (tag.name == "/object" && inObject) {
            inObject = false;
            if (!entry.Name.empty())
                entries.push_back(entry);
        }
    }
    return entries;
}
