#include "about/ProxySettings.h"

#include "about/ProxyStore.h"

#include <algorithm>
#include <limits>

TProxyRec ProxyRec;

const char* const ProxySettingsKey = "HKEY_CURRENT_USER\\Software\\Quillmere\\ProxySettings";

namespace {

bool ReadInteger(const RegLookup& key, const char* name, int32_t& field) {
    std::optional<RegValue> v = key(name);
    if (!v || v->type != RegType::Dword)
        return false;
    field = static_cast<int32_t>(v->dword);
    return true;
}

bool ReadText(const RegLookup& key, const char* name, std::string& field) {
    std::optional<RegValue> v = key(name);
    if (!v) {
        field.clear();
        return true;
    }
    if (v->type != RegType::Sz && v->type != RegType::ExpandSz)
        return false;
    field = v->text;
    return true;
}

} // namespace

void LoadProxySettings(TProxyRec& rec) {
    ReadProxyStore([&rec](const RegLookup& key) {
        // In this order; the first failure ends the reading.
        (void)(ReadInteger(key, "ProxyEnabled", rec.ProxyEnabled) &&
               ReadText(key, "ProxyServer", rec.ProxyServer) &&
               ReadInteger(key, "ProxyPort", rec.ProxyPort) &&
               ReadText(key, "ProxyUser", rec.ProxyUser) &&
               ReadText(key, "ProxyPassword", rec.ProxyPassword));
    });
}

void SaveProxySettings(const TProxyRec& rec) {
    WriteProxyStore({{"ProxyEnabled", RegValue::Dword(static_cast<uint32_t>(rec.ProxyEnabled))},
                     {"ProxyServer", RegValue::String(rec.ProxyServer)},
                     {"ProxyPort", RegValue::Dword(static_cast<uint32_t>(rec.ProxyPort))},
                     {"ProxyUser", RegValue::String(rec.ProxyUser)},
                     {"ProxyPassword", RegValue::String(rec.ProxyPassword)}});
}

int32_t ProxyPortFromText(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        // Too many digits for a port stay at the largest number the field holds.
        if (value > std::numeric_limits<int32_t>::max())
            value = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::max<int64_t>(value, std::numeric_limits<int32_t>::min()));
}
