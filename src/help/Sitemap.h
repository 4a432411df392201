#pragma once
// The table of contents (.hhc) and the index (.hhk) of a help file: HTML
// lists of <object type="text/sitemap"> entries, nested by <ul>. Help
// compilers and hand editors write them loosely (unclosed <li>, attributes
// in any case and quoting), so they are read leniently.

#include <string>
#include <vector>

struct TSitemapEntry {
    int Depth = 0;     // 1 for the outermost list
    std::string Name;  // the first "Name" parameter: title or keyword
    std::string Local; // the first "Local" parameter: the topic, may be empty
    bool operator==(const TSitemapEntry&) const = default;
};

std::vector<TSitemapEntry> ParseSitemap(const std::string& html);
