#include "directory/LdapEntries.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::unique_ptr<TQMLDAttribute> attribute(const std::string& name,
                                          std::initializer_list<std::string> values) {
    auto a = std::make_unique<TQMLDAttribute>();
    a->Name = name;
    for (const std::string& text : values) {
        auto v = std::make_unique<TQMLDAttributeValue>();
        v->SetValue(text.data(), static_cast<uint32_t>(text.size()));
        a->Values.push_back(std::move(v));
    }
    return a;
}

TEST(AttributeValue, HoldsBytesAndTerminator) {
    TQMLDAttributeValue v;
    EXPECT_EQ(v.Size, 0u);
    EXPECT_EQ(v.Data, nullptr);

    EXPECT_EQ(v.SetValue("abc", 3), 0);
    ASSERT_EQ(v.Size, 4u);
    EXPECT_EQ(std::memcmp(v.Data.get(), "abc\0", 4), 0);

    EXPECT_EQ(v.SetValue("", 0), 0);
    ASSERT_EQ(v.Size, 1u);
    EXPECT_EQ(v.Data[0], '\0');
}

TEST(AttributeValue, SecondSetValueReplacesFirst) {
    TQMLDAttributeValue v;
    v.SetValue("first value", 11);
    v.SetValue("xy", 2);
    ASSERT_EQ(v.Size, 3u);
    EXPECT_EQ(std::memcmp(v.Data.get(), "xy\0", 3), 0);
}

TEST(AttributeValue, CopiesTheCallersBytes) {
    char source[] = {'\x01', '\x00', '\xff', '\x80'};
    TQMLDAttributeValue v;
    v.SetValue(source, sizeof source);
    source[0] = 'Z';
    ASSERT_EQ(v.Size, 5u);
    EXPECT_EQ(std::memcmp(v.Data.get(), "\x01\x00\xff\x80\x00", 5), 0);
}

TEST(Attribute, ValueText) {
    auto multi = attribute("telephoneNumber", {"+1 555 0100", "+1 555 0101"});
    auto empty = attribute("mobile", {});
    auto withZero = std::make_unique<TQMLDAttribute>();
    auto v = std::make_unique<TQMLDAttributeValue>();
    v->SetValue("ab\0cd", 5);
    withZero->Values.push_back(std::move(v));

    struct Case {
        const TQMLDAttribute* a;
        int32_t index;
        std::string expected;
    } cases[] = {
        {multi.get(), 0, "+1 555 0100"},
        {multi.get(), 1, "+1 555 0101"},
        {multi.get(), 2, ""},
        {multi.get(), -1, ""},
        {empty.get(), 0, ""},
        {withZero.get(), 0, "ab"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.a->ValueText(c.index), c.expected) << c.a->Name << "[" << c.index << "]";
    EXPECT_EQ(withZero->Values[0]->Size, 6u);
}

TEST(Object, FindAttributeIgnoresAsciiCaseAndTakesTheFirstMatch) {
    TQMLDObject entry;
    EXPECT_EQ(entry.FindAttribute("cn"), nullptr);

    entry.Attributes.push_back(attribute("sAMAccountName", {"jsmith"}));
    entry.Attributes.push_back(attribute("Description", {"first"}));
    entry.Attributes.push_back(attribute("description", {"second"}));
    entry.Attributes.push_back(attribute("Zoë", {"umlaut"}));

    struct Case {
        const char* lookup;
        const char* expectedValue; // null: no attribute
    } cases[] = {
        {"samaccountname", "jsmith"},
        {"SAMACCOUNTNAME", "jsmith"},
        {"description", "first"},
        {"mail", nullptr},
        {"sAMAccountNam", nullptr},
        {"", nullptr},
        {"ZOë", "umlaut"},
        {"ZOË", nullptr}, // only ASCII letters fold
    };
    for (const Case& c : cases) {
        TQMLDAttribute* found = entry.FindAttribute(c.lookup);
        if (c.expectedValue == nullptr)
            EXPECT_EQ(found, nullptr) << c.lookup;
        else
            EXPECT_EQ(found ? found->ValueText(0) : "<none>", c.expectedValue) << c.lookup;
    }
}

} // namespace
