// The proxy key in the current user's registry, read and written through the
// wide-character calls so that texts keep every character (the program holds
// them as UTF-8).
#include "about/ProxySettings.h"
#include "about/ProxyStore.h"

#include <windows.h>

#include <cstring>

namespace {

const char* const DefaultSubkey = "Software\\Quillmere\\ProxySettings";

std::string& LocationOverride() {
    static std::string subkey;
    return subkey;
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

std::string Utf8(const wchar_t* text, size_t length) {
    if (length == 0)
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, int(length), out.data(), n, nullptr, nullptr);
    return out;
}

class TKey {
  public:
    ~TKey() {
        if (key_)
            RegCloseKey(key_);
    }
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// A value that exists but cannot be read counts as one of another type, which
// ends the reading as the wrong type does.
std::optional<RegValue> QueryValue(HKEY key, const char* name) {
    const std::wstring wname = Wide(name);
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(key, wname.c_str(), nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND)
        return std::nullopt;
    if (rc != ERROR_SUCCESS)
        return RegValue{};
    // The value may change between the two calls: a few tries with the new size.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::string data(size_t(size) + sizeof(wchar_t), '\0');
        DWORD got = size;
        rc = RegQueryValueExW(key, wname.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &got);
        if (rc == ERROR_MORE_DATA) {
            size = got;
            continue;
        }
        if (rc == ERROR_FILE_NOT_FOUND)
            return std::nullopt;
        if (rc != ERROR_SUCCESS)
            return RegValue{};
        if (type == REG_DWORD) {
            if (got != sizeof(DWORD))
                return RegValue{};
            DWORD v = 0;
            std::memcpy(&v, data.data(), sizeof v);
            return RegValue::Dword(v);
        }
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            // Stored with or without its terminating zero; the text ends at
            // the first zero either way.
            const auto* text = reinterpret_cast<const wchar_t*>(data.data());
            size_t length = got / sizeof(wchar_t);
            for (size_t i = 0; i < length; ++i)
                if (text[i] == L'\0') {
                    length = i;
                    break;
                }
            RegValue v = RegValue::String(Utf8(text, length));
            if (type == REG_EXPAND_SZ)
                v.type = RegType::ExpandSz;
            return v;
        }
        return RegValue{};
    }
    return RegValue{};
}

bool SetValue(HKEY key, const std::string& name, const RegValue& value) {
    const std::wstring wname = Wide(name);
    switch (value.type) {
    case RegType::Dword: {
        const DWORD v = value.dword;
        return RegSetValueExW(key, wname.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                              sizeof v) == ERROR_SUCCESS;
    }
    case RegType::Sz:
    case RegType::ExpandSz: {
        const std::wstring text = Wide(value.text);
        // With its terminating zero, as the registry expects of strings.
        const DWORD size = DWORD((text.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(key, wname.c_str(), 0,
                              value.type == RegType::Sz ? REG_SZ : REG_EXPAND_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()), size) == ERROR_SUCCESS;
    }
    case RegType::Other:
        break;
    }
    return false;
}

} // namespace

std::string ProxySettingsLocation() {
    return LocationOverride().empty() ? DefaultSubkey : LocationOverride();
}

void SetProxySettingsLocation(const std::string& location) {
    LocationOverride() = location;
}

bool ReadProxyStore(const std::function<void(const RegLookup&)>& read) {
    TKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(ProxySettingsLocation()).c_str(), 0, KEY_READ,
                      key.Out()) != ERROR_SUCCESS)
        return false;
    read([&key](const char* name) { return QueryValue(key.Get(), name); });
    return true;
}

bool WriteProxyStore(const std::vector<std::pair<std::string, RegValue>>& values) {
    TKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(ProxySettingsLocation()).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.Out(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    for (const auto& [name, value] : values)
        if (!SetValue(key.Get(), name, value))
            return false;
    return true;
}
