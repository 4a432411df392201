#include "directory/LdapEntries.h"

#include "base/AsciiCase.h"

#include <cstring>

int TQMLDAttributeValue::SetValue(const void* bytes, uint32_t length) {
    // Zero-initialised, so the terminator is there even when nothing is copied.
    auto buffer = std::make_unique<char[]>(static_cast<size_t>(length) + 1);
    if (bytes != nullptr && length > 0)
        std::memcpy(buffer.get(), bytes, length);
    Data = std::move(buffer);
    Size = length + 1;
    return 0;
}

std::string TQMLDAttribute::ValueText(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= Values.size())
        return {};
    const TQMLDAttributeValue& value = *Values[static_cast<size_t>(index)];
    if (!value.Data)
        return {};
    return std::string(value.Data.get());
}

TQMLDAttribute* TQMLDObject::FindAttribute(const std::string& name) const {
    for (const auto& attribute : Attributes)
        if (findaro::EqualsAsciiNoCase(attribute->Name, name))
            return attribute.get();
    return nullptr;
}
