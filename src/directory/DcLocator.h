#pragma once
// Finds a domain controller the way the Windows locator answers: the name as
// two backslashes and the DNS host name, or a Windows error code.

#include <cstdint>
#include <string>

inline constexpr uint32_t DS_RETURN_DNS_NAME = 0x40000000;
inline constexpr uint32_t DS_IS_FLAT_NAME = 0x00010000;

// Error codes this backend can return (Windows numbering).
inline constexpr uint32_t ERROR_SUCCESS_DC = 0;
inline constexpr uint32_t ERROR_NO_SUCH_DOMAIN = 1355;

// domainName null: the workstation's own domain. On success fills
// dcName with "\\\\host.dns.name" and returns 0.
uint32_t LocateDomainController(const char* domainName, uint32_t flags, std::string& dcName);

// The system's message text for a Windows error code that the locator returns.
std::string WindowsErrorText(uint32_t code);

// Removes every pair of consecutive backslashes.
std::string RemoveBackslashPairs(const std::string& name);
