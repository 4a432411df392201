#include "about/VersionFile.h"

#include "about/UpdateCheck.h"

#include <charconv>
#include <pugixml.hpp>

namespace {

// An element's text; one that holds other elements has none to give.
std::string ElementText(const pugi::xml_node& element) {
    std::string text;
    for (pugi::xml_node child : element.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text += child.value();
        else if (child.type() == pugi::node_element)
            throw TUpdateCheckError(std::string("The version file's \"") + element.name() +
                                    "\" element holds more than text");
    }
    return text;
}

} // namespace

bool ParseVersionNumber(const std::string& text, char userDecimalSeparator, double& value) {
    size_t b = 0, e = text.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (b < e && blank(text[b]))
        ++b;
    while (e > b && blank(text[e - 1]))
        --e;
    std::string t = text.substr(b, e - b);
    if (!t.empty() && t[0] == '+')
        t.erase(0, 1);
    for (char& c : t)
        if (c == userDecimalSeparator)
            c = '.';
    // Digits only: from_chars would take "inf" and "nan" too.
    if (t.empty() || t.find_first_not_of("0123456789.eE+-") != std::string::npos)
        return false;
    const char* end = t.data() + t.size();
    auto [ptr, ec] = std::from_chars(t.data(), end, value, std::chars_format::general);
    return ec == std::errc() && ptr == end;
}

TVersionFileEntry ReadVersionFile(const std::string& body, const std::string& product,
                                  char userDecimalSeparator) {
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_buffer(body.data(), body.size());
    if (!parsed)
        throw TUpdateCheckError(
            std::string("The version file is not a well-formed XML document (") +
            parsed.description() + " at byte " + std::to_string(parsed.offset) + ")");
    TVersionFileEntry entry;
    pugi::xml_node entryNode = doc.child("ProductVersions").child(product.c_str());
    pugi::xml_node version = entryNode.child("Version");
    if (!version)
        return entry;
    if (!ParseVersionNumber(ElementText(version), userDecimalSeparator, entry.Version))
        return entry;
    pugi::xml_node url = entryNode.child("URL");
    if (!url)
        return entry;
    entry.URL = ElementText(url);
    entry.Found = true;
    return entry;
}
