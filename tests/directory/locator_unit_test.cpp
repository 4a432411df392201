// The locator's portable parts: name handling, record order and backslash
// removal.

#include "directory/DcLocator.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

TEST(RemoveBackslashPairs, RemovesEveryPair) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"\\\\dc1.corp.example.test", "dc1.corp.example.test"},
        {"\\\\dc1\\\\x\\\\", "dc1x"},
        {"\\\\\\", "\\"}, // three: one pair, one left
        {"\\\\\\\\", ""}, // four: two pairs
        {"a\\b", "a\\b"}, // a single backslash stays
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemoveBackslashPairs(c.in), c.out) << c.in;
}

TEST(DomainsToQuery, MapsNamesToDnsDomains) {
    const std::vector<std::string> search = {"lab.example.test", "corp.example.test",
                                             "example.test"};
    using V = std::vector<std::string>;
    const struct {
        const char* name;
        V want;
    } cases[] = {
        {nullptr, search},               // own domain: the search list in order
        {"", search},                    // an explicit empty name is the same
        {"CORP", {"corp.example.test"}}, // flat name, letter case ignored
        {"corp", {"corp.example.test"}},
        {"Example", {"example.test"}}, // matches the first label only
        {"OTHER", {"OTHER"}},          // unknown flat name: asked as it is
        {"corp.example.test", {"corp.example.test"}},
        {"corp.example.test.", {"corp.example.test"}},
        {"test", {"test"}}, // not a first label of any entry
    };
    for (const auto& c : cases) {
        V got;
        EXPECT_EQ(DomainsToQuery(c.name, search, got), 0u) << (c.name ? c.name : "(null)");
        EXPECT_EQ(got, c.want) << (c.name ? c.name : "(null)");
    }
}

TEST(DomainsToQuery, FlatNameMatchingSeveralDomainsKeepsSearchOrder) {
    std::vector<std::string> got;
    ASSERT_EQ(DomainsToQuery("corp", {"corp.b.test", "x.test", "CORP.a.test.", "corp.b.test"}, got),
              0u);
    EXPECT_EQ(got, (std::vector<std::string>{"corp.b.test", "CORP.a.test"}));
}

TEST(DomainsToQuery, NoSearchListLeavesNothingToAsk) {
    std::vector<std::string> got{"stale"};
    EXPECT_EQ(DomainsToQuery(nullptr, {}, got), 0u);
    EXPECT_TRUE(got.empty());
}

TEST(DomainsToQuery, RejectsMalformedNames) {
    const std::string longLabel(64, 'a');
    const std::string longName = std::string(230, 'a').insert(50, ".");
    for (const std::string& name :
         {std::string("."), std::string("corp..test"), std::string(".corp"), std::string("co rp"),
          std::string(" corp"), std::string("corp\\test"), std::string("corp/x"),
          std::string("co*rp"), std::string("a\tb"), longLabel + ".test", longName}) {
        std::vector<std::string> got;
        EXPECT_EQ(DomainsToQuery(name.c_str(), {"corp.example.test"}, got),
                  winerror::InvalidDomainName)
            << name;
        EXPECT_TRUE(got.empty()) << name;
    }
    // The longest label that is allowed.
    std::vector<std::string> got;
    EXPECT_EQ(DomainsToQuery((std::string(63, 'a') + ".test").c_str(), {}, got), 0u);
}

SrvRecord Srv(uint16_t priority, uint16_t weight, std::string target) {
    return SrvRecord{priority, weight, 389, std::move(target)};
}

std::vector<std::string> Targets(const std::vector<SrvRecord>& records) {
    std::vector<std::string> t;
    for (const auto& r : records)
        t.push_back(r.target);
    return t;
}

TEST(OrderSrvRecords, PriorityFirstAndWeightedPicksWithFixedDraws) {
    using V = std::vector<std::string>;
    const std::vector<SrvRecord> records = {Srv(10, 0, "z10"),  Srv(5, 60, "a5"),
                                            Srv(5, 0, "zero5"), Srv(5, 40, "b5"),
                                            Srv(0, 0, "only0"), Srv(7, 1, ".")};
    // Within priority 5 the list is zero5(0) a5(60) b5(40): running sums 0, 60, 100.
    const struct {
        const char* what;
        uint32_t draw; // the same draw for every pick; the bound shrinks as records go
        V want;
    } cases[] = {
        {"draw 0 picks the weight-0 record first", 0, {"only0", "zero5", "a5", "b5", "z10"}},
        {"draw at the top picks the last record", 1000, {"only0", "b5", "a5", "zero5", "z10"}},
        {"draw 60 lands on the end of a5's share", 60, {"only0", "a5", "b5", "zero5", "z10"}},
        {"draw 61 is the start of b5's share", 61, {"only0", "b5", "a5", "zero5", "z10"}},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> bounds;
        const auto got = OrderSrvRecords(records, [&](uint32_t bound) {
            bounds.push_back(bound);
            return std::min(c.draw, bound);
        });
        EXPECT_EQ(Targets(got), c.want) << c.what;
        for (uint32_t b : bounds)
            EXPECT_LE(b, 100u) << c.what;
    }
}

TEST(OrderSrvRecords, DropsNotOfferedAndKeepsAllOthers) {
    const auto got =
        OrderSrvRecords({Srv(0, 5, "."), Srv(1, 5, "a"), Srv(1, 0, "b"), Srv(2, 0, "c")},
                        [](uint32_t) { return 0u; });
    EXPECT_EQ(Targets(got), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_TRUE(OrderSrvRecords({Srv(0, 0, ".")}, [](uint32_t b) { return b; }).empty());
}

TEST(OrderSrvRecords, WeightsSetTheShareOfFirstPlaces) {
    std::mt19937 engine(20260101);
    const SrvRandom random = [&](uint32_t bound) {
        return std::uniform_int_distribution<uint32_t>(0, bound)(engine);
    };
    const std::vector<SrvRecord> records = {Srv(0, 0, "zero"), Srv(0, 10, "light"),
                                            Srv(0, 90, "heavy"), Srv(3, 50, "backup")};
    std::map<std::string, int> first;
    const int rounds = 5000;
    for (int i = 0; i < rounds; ++i) {
        const auto got = OrderSrvRecords(records, random);
        ASSERT_EQ(got.size(), 4u);
        EXPECT_EQ(got.back().target, "backup");
        ++first[got.front().target];
    }
    // Expected shares: heavy 90/101, light 10/101, zero 1/101 (draw 0 only).
    EXPECT_GT(first["heavy"], rounds * 85 / 100);
    EXPECT_LT(first["heavy"], rounds * 93 / 100);
    EXPECT_GT(first["light"], rounds * 7 / 100);
    EXPECT_LT(first["light"], rounds * 13 / 100);
    EXPECT_GT(first["zero"], 0);
    EXPECT_LT(first["zero"], rounds * 3 / 100);
}

} // namespace
