#pragma once
// Connections to the test domain's controller, bound as the test user (with
// whatever credentials the platform's tests arranged), for the Linux and the
// Windows directory tests alike.

#include "directory/Cldap.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

namespace dirtest {

// A connection set up as the search run sets up its own.
inline std::unique_ptr<TQMLDAP> boundConnection(const std::string& dc,
                                                std::initializer_list<const char*> attributes = {}) {
    auto connection = std::make_unique<TQMLDAP>();
    EXPECT_EQ(connection->Connect(dc), 0);
    EXPECT_EQ(connection->Bind(), 0) << connection->ErrorText();
    for (const char* a : attributes)
        connection->AddAttribute(a);
    connection->SetSearchChildren(1);
    connection->SetReferrals(0);
    connection->SetTimeLimit(30);
    return connection;
}

inline std::unique_ptr<TQMLDAPBrowse> boundBrowser(const std::string& dc) {
    auto b = std::make_unique<TQMLDAPBrowse>();
    EXPECT_EQ(b->Connect(dc), 0);
    EXPECT_EQ(b->Bind(), 0);
    return b;
}

} // namespace dirtest
