#pragma once
// The status line after a run that stopped before searching: what failed and
// what the user can do about it. The diagnostics log keeps the details.

#include <cstdint>
#include <string>

// Bind failures that come from the user's Kerberos ticket rather than from
// the server, so that logging on again is the cure.
inline constexpr const char* NotLoggedOnStatus =
    "not logged on to the domain: log on again, or run kinit";

// No controller found: the domain has none in DNS, or none of them answers.
// domainName empty: the workstation's own domain (named as the resolver
// knows it).
std::string NoServerStatus(const std::string& domainName);

// The located controller did not take the connection.
std::string ConnectFailedStatus(const std::string& host);

// The bind failed with `code`; `diagnostic` is the server's or the SASL
// layer's text (may be empty), `errorText` the client's text for the code.
std::string BindFailedStatus(int32_t code, const std::string& diagnostic,
                             const std::string& errorText);

// Whether a bind's diagnostic text says the user's ticket is missing or has
// expired.
bool IsTicketProblem(const std::string& diagnostic);
