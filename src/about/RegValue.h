#pragma once
// One typed value of a registry key.

#include <cstdint>
#include <string>
#include <utility>

enum class RegType {
    Sz,       // REG_SZ; in a .reg file "text" or hex(1):
    ExpandSz, // REG_EXPAND_SZ; hex(2):
    Dword,    // REG_DWORD; dword:0000002a or hex(4):
    Other,    // any other type, or data that is not in the format
};

struct RegValue {
    RegType type = RegType::Other;
    std::string text; // Sz and ExpandSz, as UTF-8
    uint32_t dword = 0;

    static RegValue String(std::string s) { return {RegType::Sz, std::move(s), 0}; }
    static RegValue Dword(uint32_t v) { return {RegType::Dword, {}, v}; }
};
