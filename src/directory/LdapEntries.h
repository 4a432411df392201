#pragma once
// In-memory copy of the entries a directory search returned. Everything is
// copied, so the objects outlive the client's result message.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TQMLDAttributeValue {
  public:
    // Copies `length` bytes and a terminating zero byte; replaces any earlier value.
    int SetValue(const void* bytes, uint32_t length);

    uint32_t Size = 0;            // value length + 1, or 0 while unset
    std::unique_ptr<char[]> Data; // value bytes followed by one zero byte
};

class TQMLDAttribute {
  public:
    // The value at `index` up to its first zero byte; empty outside the list.
    std::string ValueText(int32_t index) const;

    std::string Name;
    std::vector<std::unique_ptr<TQMLDAttributeValue>> Values;
};

class TQMLDObject {
  public:
    // First attribute whose name matches without regard to ASCII case, or null.
    TQMLDAttribute* FindAttribute(const std::string& name) const;

    std::string DN;
    std::vector<std::unique_ptr<TQMLDAttribute>> Attributes;
};
