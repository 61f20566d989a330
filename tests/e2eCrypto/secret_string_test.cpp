#include "e2eCrypto/secret_string.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

// Reads the whole buffer a string owns, not just its current length.
std::string_view bufferOf(const SecretString& secret, std::size_t length) {
    return {secret.str().data(), length};
}

const std::string shortSecret = "Rw4pQz^(8m!123"; // fits a string's own small buffer
const std::string longSecret(100, 's');

TEST(SecretString, MovedFromLeavesNoCopyOfTheBytes) {
    for (const std::string& original : {shortSecret, longSecret}) {
        SecretString source{std::string(original)};
        SecretString target(std::move(source));
        EXPECT_EQ(target, std::string_view(original));
        EXPECT_TRUE(source.empty());
        EXPECT_NE(bufferOf(source, std::min(original.size(), source.str().capacity())),
                  std::string_view(original).substr(0, std::min(original.size(), source.str().capacity())));

        SecretString assigned;
        assigned = std::move(target);
        EXPECT_NE(bufferOf(target, std::min(original.size(), target.str().capacity())),
                  std::string_view(original).substr(0, std::min(original.size(), target.str().capacity())));
    }
}

TEST(SecretString, WipeCleansBytesBeyondTheCurrentLength) {
    SecretString secret{std::string(shortSecret)};
    secret.mutableStr().resize(3);
    secret.wipe();
    EXPECT_EQ(bufferOf(secret, shortSecret.size()).find("Qz^"), std::string_view::npos);
}

} // namespace
