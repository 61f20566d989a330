#include "e2eCrypto/secret_string.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

// Every block this program frees is searched for a secret's bytes while watchedSecret is set: each
// block carries its size before it.
namespace {
std::string_view watchedSecret;
int unwipedBlocksFreed = 0;
constexpr std::size_t sizeField = alignof(std::max_align_t);

void releaseBlock(void* memory) {
    if (memory == nullptr) {
        return;
    }
    char* block = static_cast<char*>(memory) - sizeField;
    const std::string_view freed(static_cast<char*>(memory), *reinterpret_cast<std::size_t*>(block));
    unwipedBlocksFreed += !watchedSecret.empty() && freed.find(watchedSecret) != std::string_view::npos;
    std::free(block);
}
} // namespace

void* operator new(std::size_t size) {
    auto* block = static_cast<char*>(std::malloc(size + sizeField));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<std::size_t*>(block) = size;
    return block + sizeField;
}

void operator delete(void* memory) noexcept {
    releaseBlock(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    releaseBlock(memory);
}

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

TEST(SecretString, GrowingByOneByteAtATimeLeavesNoCopyInFreedMemory) {
    static constexpr char typed[] = "Rw4pQz^(8m!";
    watchedSecret = typed;
    {
        SecretString secret;
        for (std::size_t i = 0; i < 1000; ++i) {
            secret.push_back(typed[i % watchedSecret.size()]);
        }
    }
    watchedSecret = {};
    EXPECT_EQ(unwipedBlocksFreed, 0);
}

} // namespace
