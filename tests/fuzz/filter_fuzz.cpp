// Any typed text, any match type and any set of search fields: the filter is
// accepted by libldap's own filter parser and has the structure of the filter
// for a plain word, one term per field, whatever the text holds.

#include "search/Filter.h"
#include "search/Settings.h"

#include <lber.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// libldap's filter encoder, the one its search requests use.
extern "C" int ldap_pvt_put_filter(BerElement* ber, const char* filter);

namespace {

[[noreturn]] void Fail(const char* what, const std::string& filter) {
    std::fprintf(stderr, "filter_fuzz: %s: %s\n", what, filter.c_str());
    std::abort();
}

// One filter component as encoded: its tag, its attribute (for a term) and
// its parts (for "&", "|" and "!").
struct Node {
    unsigned tag = 0;
    std::string attribute;
    std::vector<Node> parts;
};

struct Reader {
    const unsigned char* p;
    const unsigned char* end;

    bool Header(unsigned& tag, size_t& length) {
        if (p >= end)
            return false;
        tag = *p++;
        if (p >= end)
            return false;
        size_t first = *p++;
        if (first < 0x80) {
            length = first;
        } else {
            size_t bytes = first & 0x7f;
            if (bytes == 0 || bytes > sizeof(size_t))
                return false;
            length = 0;
            while (bytes--) {
                if (p >= end)
                    return false;
                length = (length << 8) | *p++;
            }
        }
        return length <= static_cast<size_t>(end - p);
    }
};

constexpr unsigned And = 0xa0, Or = 0xa1, Not = 0xa2, Equality = 0xa3, Substrings = 0xa4,
                   Present = 0x87;

bool Decode(Reader& r, Node& node) {
    size_t length = 0;
    if (!r.Header(node.tag, length))
        return false;
    Reader inner{r.p, r.p + length};
    r.p += length;
    switch (node.tag) {
    case And:
    case Or:
    case Not:
        while (inner.p < inner.end) {
            node.parts.emplace_back();
            if (!Decode(inner, node.parts.back()))
                return false;
        }
        return true;
    case Present:
        node.attribute.assign(reinterpret_cast<const char*>(inner.p), length);
        return true;
    default: {
        unsigned tag = 0;
        size_t attrLength = 0;
        if (!inner.Header(tag, attrLength) || tag != 0x04)
            return false;
        node.attribute.assign(reinterpret_cast<const char*>(inner.p), attrLength);
        return true;
    }
    }
}

bool Parse(const std::string& filter, Node& root) {
    BerElement* ber = ber_alloc_t(LBER_USE_DER);
    if (!ber)
        std::abort();
    bool ok = ldap_pvt_put_filter(ber, filter.c_str()) == 0;
    berval* flat = nullptr;
    if (ok && ber_flatten(ber, &flat) == 0) {
        Reader r{reinterpret_cast<const unsigned char*>(flat->bv_val),
                 reinterpret_cast<const unsigned char*>(flat->bv_val) + flat->bv_len};
        ok = Decode(r, root) && r.p == r.end;
    } else {
        ok = false;
    }
    ber_bvfree(flat);
    ber_free(ber, 1);
    return ok;
}

bool IsTerm(unsigned tag) {
    return tag == Equality || tag == Substrings || tag == Present;
}

// The same tree, where a term may be an equality, a substring or a presence
// match on the same attribute: the typed text decides which.
bool SameShape(const Node& a, const Node& b) {
    if (IsTerm(a.tag) && IsTerm(b.tag))
        return a.attribute == b.attribute;
    if (a.tag != b.tag || a.parts.size() != b.parts.size())
        return false;
    for (size_t i = 0; i < a.parts.size(); ++i)
        if (!SameShape(a.parts[i], b.parts[i]))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    // First byte: the match type as read from a file (any 8 bits); second:
    // the seven search fields; the rest: the typed text.
    TOptionsRec options;
    options.SearchType = static_cast<int8_t>(data[0]);
    const unsigned fields = data[1];
    int32_t TOptionsRec::*const flags[] = {
        &TOptionsRec::SearchName,          &TOptionsRec::SearchDisplayName,
        &TOptionsRec::SearchSurname,       &TOptionsRec::SearchFirstName,
        &TOptionsRec::SearchTelephoneNumber, &TOptionsRec::SearchSAMAccountName,
        &TOptionsRec::SearchUPN};
    for (size_t i = 0; i < 7; ++i)
        options.*flags[i] = (fields >> i) & 1;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    const std::string filter = BuildFilter(options, text);
    if (filter.find('\0') != std::string::npos)
        Fail("a NUL reaches the filter", filter);
    Node got, plain;
    if (!Parse(filter, got))
        Fail("libldap refuses the filter", filter);
    const std::string plainFilter = BuildFilter(options, "word");
    if (!Parse(plainFilter, plain))
        Fail("libldap refuses the filter for a plain word", plainFilter);
    if (!SameShape(got, plain))
        Fail("the filter's structure differs from a plain word's", filter);
    return 0;
}
