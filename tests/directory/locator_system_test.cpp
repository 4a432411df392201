// The Windows locator's texts come from the system's message table.

#include "directory/DcLocator.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowsErrorText, TheSystemsTextForEveryCodeTheLocatorReturns) {
    std::string texts[3];
    int i = 0;
    for (uint32_t code : {winerror::NoSuchDomain, winerror::InvalidDomainName,
                          winerror::NotEnoughMemory}) {
        const std::string text = WindowsErrorText(code);
        SCOPED_TRACE(code);
        ASSERT_FALSE(text.empty());
        // One line, without the line break the message table ends it with.
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_NE(text, "Error " + std::to_string(code) + ".");
        texts[i++] = text;
    }
    EXPECT_NE(texts[0], texts[1]);
    EXPECT_NE(texts[1], texts[2]);
    // A code the table does not hold still gets words.
    EXPECT_EQ(WindowsErrorText(0x2fffffffu), "Error " + std::to_string(0x2fffffffu) + ".");
}

} // namespace
