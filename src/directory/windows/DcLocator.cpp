// Windows locator: the system's DsGetDcName, in its wide form (Wine has no
// 8-bit one), with names converted at this seam, and the system's texts.

#include "directory/DcLocator.h"

#include "base/windows/WideText.h"
#include "base/windows/WindowsHeader.h"

#include <dsgetdc.h>
#include <lm.h>

uint32_t LocateDomainController(const char* domainName, uint32_t flags, std::string& dcName) {
    dcName.clear();
    // An empty name means the workstation's own domain, as no name does.
    const bool named = domainName != nullptr && *domainName != '\0';
    const std::wstring wideName = named ? findaro::WideFromUtf8(domainName) : std::wstring();
    // A dotted name is a DNS domain: asked as a flat name the locator would
    // not find it, so the name's form decides, as on the other platforms.
    if (named && std::string(domainName).find('.') != std::string::npos &&
        (flags & dcflags::IsFlatName) != 0)
        flags = (flags & ~dcflags::IsFlatName) | DS_IS_DNS_NAME;
    PDOMAIN_CONTROLLER_INFOW info = nullptr;
    const DWORD rc = DsGetDcNameW(nullptr, named ? wideName.c_str() : nullptr, nullptr, nullptr,
                                  flags, &info);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (info == nullptr)
        return winerror::NoSuchDomain;
    if (info->DomainControllerName != nullptr)
        dcName = findaro::Utf8FromWide(info->DomainControllerName);
    NetApiBufferFree(info);
    return dcName.empty() ? winerror::NoSuchDomain : winerror::Success;
}

std::string WindowsErrorText(uint32_t code) {
    wchar_t text[1024] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       0, text, static_cast<DWORD>(std::size(text)), nullptr);
    if (length == 0)
        return "Error " + std::to_string(code) + ".";
    std::wstring message(text, length);
    // The system ends its texts with a line break.
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' '))
        message.pop_back();
    return findaro::Utf8FromWide(message);
}

bool ControllersListed(const char*, std::string& firstDomain) {
    // The system's locator answers one code for a domain without
    // controllers and for one whose controllers are all down.
    firstDomain.clear();
    return false;
}
