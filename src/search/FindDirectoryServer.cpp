#include "directory/DcLocator.h"
#include "search/SearchRun.h"

std::string FindDirectoryServer(const std::string& domainName) {
    // No name means the workstation's own domain; the locator gets a null
    // pointer then, never an empty string.
    std::string dcName;
    const uint32_t rc = LocateDomainController(domainName.empty() ? nullptr : domainName.c_str(),
                                               dcflags::ReturnDnsName | dcflags::IsFlatName, dcName);
    if (rc != 0)
        return {};
    return RemoveBackslashPairs(dcName);
}
