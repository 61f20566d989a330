#include "certs/transient_pass_phrase.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <set>
#include <string>

namespace {

TEST(TransientKeyPassPhrase, IsTheFixedTextAndANumberUpTo32767) {
    const std::string prefix = "Rw4pQz^(8m!";
    std::set<int> numbers;
    for (std::uint32_t seconds = 1700000000; seconds < 1700000000 + 500; ++seconds) {
        const std::string phrase = transientKeyPassPhrase(seconds).str();
        ASSERT_EQ(phrase.rfind(prefix, 0), 0u) << phrase;
        const std::string digits = phrase.substr(prefix.size());
        ASSERT_TRUE(!digits.empty() && digits.size() <= 5 &&
                    digits.find_first_not_of("0123456789") == std::string::npos &&
                    (digits == "0" || digits[0] != '0'))
            << phrase;
        const int number = std::stoi(digits);
        ASSERT_LE(number, 32767);
        numbers.insert(number);
    }
    EXPECT_GT(numbers.size(), 400u);
}

// The phrase of the current second: one a second later differs, and the one made now is the
// derivation of the clock's second read around it.
TEST(TransientKeyPassPhrase, IsDerivedFromTheCurrentSecond) {
    EXPECT_NE(transientKeyPassPhrase(1234567), transientKeyPassPhrase(1234568));
    const auto before = static_cast<std::uint32_t>(std::time(nullptr));
    const SecretString made = makeTransientKeyPassPhrase();
    const auto after = static_cast<std::uint32_t>(std::time(nullptr));
    EXPECT_TRUE(made == transientKeyPassPhrase(before) || made == transientKeyPassPhrase(after));
}

} // namespace
