#include "search/FailureStatus.h"

#include <gtest/gtest.h>

namespace {

TEST(FailureStatus, BindFailuresFromTheTicketAskForALogonOthersQuoteTheServer) {
    struct Case {
        int32_t code;
        const char* diagnostic;
        const char* errorText;
        const char* status;
    } cases[] = {
        // What MIT Kerberos says through SASL for a missing and an expired ticket.
        {-2,
         "SASL(-1): generic failure: GSSAPI Error: No credentials were supplied, or the "
         "credentials were unavailable or inaccessible (No Kerberos credentials available "
         "(default cache: FILE:/tmp/krb5cc_1000))",
         "Local error", NotLoggedOnStatus},
        {-2,
         "SASL(-1): generic failure: GSSAPI Error: Unspecified GSS failure.  Minor code may "
         "provide more information (Ticket expired)",
         "Local error", NotLoggedOnStatus},
        {-2, "GSSAPI Error: The referenced credential has expired", "Local error",
         NotLoggedOnStatus},
        // The server's own words, on one line.
        {1, "SASL: Failed to start authentication system: NT_STATUS_INVALID_PARAMETER\n",
         "Operations error",
         "logon refused: SASL: Failed to start authentication "
         "system: NT_STATUS_INVALID_PARAMETER"},
        {49, "80090308: LdapErr: DSID-0C09041C,\ncomment: AcceptSecurityContext error",
         "Invalid credentials",
         "logon refused: 80090308: LdapErr: DSID-0C09041C, "
         "comment: AcceptSecurityContext error"},
        // No words from the server: the client's text for the code.
        {-6, "", "Unknown authentication method",
         "logon refused: Unknown authentication method"},
        {-6, "", "", "logon refused: code -6"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BindFailedStatus(c.code, c.diagnostic, c.errorText), c.status) << c.diagnostic;
}

} // namespace
