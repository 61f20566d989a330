#include "certs/transient_pass_phrase.h"

#include <gtest/gtest.h>

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

TEST(TransientKeyPassPhrase, IsTheSameWithinOneSecond) {
    EXPECT_EQ(transientKeyPassPhrase(1234567), transientKeyPassPhrase(1234567));
    EXPECT_EQ(makeTransientKeyPassPhrase().str().rfind("Rw4pQz^(8m!", 0), 0u);
}

} // namespace
