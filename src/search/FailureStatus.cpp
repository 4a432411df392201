#include "search/FailureStatus.h"

#include "base/AsciiCase.h"
#include "directory/DcLocator.h"

#include <algorithm>

bool IsTicketProblem(const std::string& diagnostic) {
    // The words of the Kerberos library (MIT and Heimdal) for a cache that is
    // missing, empty or holds only expired tickets.
    static const char* const kTicketWords[] = {
        "no kerberos credentials",
        "no credentials were supplied",
        "no credentials cache",
        "credentials cache file",
        "matching credential not found",
        "ticket expired",
        "credential has expired",
        "credentials have expired",
    };
    std::string text = diagnostic;
    std::transform(text.begin(), text.end(), text.begin(), findaro::ToLowerAscii);
    return std::any_of(std::begin(kTicketWords), std::end(kTicketWords),
                       [&](const char* words) { return text.find(words) != std::string::npos; });
}

std::string NoServerStatus(const std::string& domainName) {
    std::string firstDomain;
    const bool listed =
        ControllersListed(domainName.empty() ? nullptr : domainName.c_str(), firstDomain);
    std::string named = domainName;
    if (named.empty())
        named = firstDomain.empty() ? std::string("this computer's domain") : firstDomain;
    // Controllers listed in DNS that do not answer are a network matter; no
    // controllers at all are a matter of the domain's name.
    if (listed)
        return "no domain controller of " + named + " answers: check the network";
    return "no domain controller found for " + named + ": check " +
           (domainName.empty() ? "the DNS settings" : "DomainName");
}

std::string ConnectFailedStatus(const std::string& host) {
    return "cannot reach " + host + ": check the network, then search again";
}

std::string BindFailedStatus(int32_t code, const std::string& diagnostic,
                             const std::string& errorText) {
    if (IsTicketProblem(diagnostic))
        return NotLoggedOnStatus;
    std::string why = diagnostic.empty() ? errorText : diagnostic;
    // One status line: a server's text may span several.
    std::replace_if(why.begin(), why.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    while (!why.empty() && why.back() == ' ')
        why.pop_back();
    if (why.empty())
        why = "code " + std::to_string(code);
    return "logon refused: " + why;
}
