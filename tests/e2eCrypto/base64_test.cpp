#include "e2eCrypto/base64.h"
#include "e2eCrypto/error_records.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

namespace {

struct EncodeCase {
    std::string input;
    std::string expected;
};

class EncodeBase64 : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeBase64, MatchesTheDocumentLayout) {
    EXPECT_EQ(encodeBase64(GetParam().input), GetParam().expected);
}

std::string repeatedA(std::size_t count) {
    return std::string(count, 'A');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncodeBase64,
    ::testing::Values(EncodeCase{"", ""}, EncodeCase{"abc", "YWJj"}, EncodeCase{"ab", "YWI=\r\n"},
                      EncodeCase{"a", "YQ==\r\n"},
                      // 54 bytes fill exactly one 72-character line, which keeps its CR LF.
                      EncodeCase{std::string(54, '\0'), repeatedA(72) + "\r\n"},
                      // 57 bytes: a full line, then 4 characters without a final break.
                      EncodeCase{std::string(57, '\0'), repeatedA(72) + "\r\nAAAA"},
                      EncodeCase{std::string(55, '\0'), repeatedA(72) + "\r\nAA==\r\n"}));

TEST(EncodeBase64, TwentyBytesGiveThirtyCharactersWithPadAndLineBreak) {
    const std::string encoded = encodeBase64(std::string(20, '\x7f'));
    ASSERT_EQ(encoded.size(), 30u);
    EXPECT_EQ(encoded.substr(27), "=\r\n");
}

TEST(EncodeBase64, OutputLengthFollowsTheFormulaForEveryLength) {
    for (std::size_t n = 1; n < 400; ++n) {
        const std::size_t groups = n / 3;
        const std::size_t expected = 4 * groups + 2 * (groups / 18) + (n % 3 != 0 ? 6 : 0);
        EXPECT_EQ(encodeBase64(std::string(n, 'x')).size(), expected) << n;
    }
}

struct DecodeCase {
    std::string input;
    std::string expected;
};

class DecodeBase64 : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeBase64, GivesTheBytes) {
    EXPECT_EQ(decodeBase64(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeBase64,
                         ::testing::Values(DecodeCase{"", ""}, DecodeCase{"YWJj\r\n", "abc"},
                                           DecodeCase{"YW\nJj", "abc"}, DecodeCase{"YW\rJj", "abc"},
                                           DecodeCase{"YWI=", "ab"},
                                           // nothing after "=" is looked at, not even bad bytes
                                           DecodeCase{"YWI=\x01 -!garbage", "ab"}, DecodeCase{"YWI", "ab"},
                                           DecodeCase{"Y", ""}, DecodeCase{"=YWJj", ""},
                                           DecodeCase{"\r\n\r\n", ""},
                                           DecodeCase{"AAAA", std::string(3, '\0')}));

class DecodeBase64Rejects : public ::testing::TestWithParam<std::string> {};

TEST_P(DecodeBase64Rejects, BytesOutsideTheAlphabet) {
    try {
        decodeBase64(GetParam());
        FAIL() << "accepted " << GetParam();
    } catch (const errorDef::error_message& error) {
        EXPECT_EQ(error.message, "Error in decoding. Format is invalid");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeBase64Rejects,
                         ::testing::Values("YW Jj", "YW\tJj", "YWJj-", std::string("YW\0Jj", 5),
                                           "YWJj\xc3\xa9", "-----BEGIN", "YWJjYWJjYWJj YWJj"));

// Every test below runs with the fastest decoder this processor offers and with the table-driven one.
class Base64Decoders : public ::testing::TestWithParam<Base64Decoder> {
protected:
    void SetUp() override { chooseBase64Decoder(GetParam()); }
    void TearDown() override { chooseBase64Decoder(Base64Decoder::Fastest); }
};

INSTANTIATE_TEST_SUITE_P(Both, Base64Decoders,
                         ::testing::Values(Base64Decoder::Fastest, Base64Decoder::TableDriven),
                         [](const auto& info) {
                             return info.param == Base64Decoder::Fastest ? "Fastest" : "TableDriven";
                         });

TEST_P(Base64Decoders, RoundTripRandomBytesOfEveryAlignment) {
    std::mt19937 random(20261207);
    for (std::size_t n = 0; n < 2000; n += 7) {
        std::string bytes(n, '\0');
        for (auto& byte : bytes) {
            byte = static_cast<char>(random());
        }
        std::string buffer = encodeBase64(bytes);
        EXPECT_EQ(decodeBase64(buffer), bytes) << n;
        decodeBase64Within(buffer, std::string_view(buffer)); // from its first byte: the closest overlap
        EXPECT_EQ(buffer, bytes) << n;
    }
}

TEST(Base64, DecodesTwoPiecesAsOneText) {
    EXPECT_EQ(decodeBase64("YW", "Jj"), "abc");
    EXPECT_EQ(decodeBase64("YWI=", "!!!"), "ab");
    EXPECT_EQ(decodeBase64("Y", "WJj"), "abc");
}

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The decoder takes whole groups on a fast path; a plain byte-at-a-time decoder, fed texts with line
// breaks, pads and bad bytes at every offset, must agree with it.
std::optional<std::string> decodeByteByByte(std::string_view text) {
    std::string out;
    unsigned taken = 0;
    unsigned kept = 0;
    for (const char byte : text) {
        if (byte == '=') {
            break;
        }
        if (byte == '\r' || byte == '\n') {
            continue;
        }
        const std::size_t value = alphabet.find(byte);
        if (value == std::string_view::npos) {
            return std::nullopt;
        }
        kept = (kept << 6) | static_cast<unsigned>(value);
        if (++taken % 4 == 0) {
            out += static_cast<char>(kept >> 16);
            out += static_cast<char>(kept >> 8);
            out += static_cast<char>(kept);
            kept = 0;
        }
    }
    if (taken % 4 == 2) {
        out += static_cast<char>(kept >> 4);
    } else if (taken % 4 == 3) {
        out += static_cast<char>(kept >> 10);
        out += static_cast<char>(kept >> 2);
    }
    return out;
}

std::optional<std::string> decodedOrRejected(std::string_view first, std::string_view second) {
    try {
        return decodeBase64(first, second);
    } catch (const errorDef::error_message&) {
        return std::nullopt;
    }
}

TEST_P(Base64Decoders, AgreeWithByteByByteDecoding) {
    std::mt19937 random(7);
    const std::string rare = std::string("\r\n=- \t\0", 7);
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 300, 'A');
        const unsigned rarity = 2 + random() % 60; // from many odd bytes to a few
        for (char& byte : text) {
            byte = random() % rarity == 0 ? rare[random() % rare.size()] : alphabet[random() % 64];
        }
        const std::size_t cut = text.empty() ? 0 : random() % text.size();
        const std::string_view whole = text;
        EXPECT_EQ(decodedOrRejected(whole.substr(0, cut), whole.substr(cut)), decodeByteByByte(text)) << text;
    }
}

TEST_P(Base64Decoders, AgreeWithByteByByteDecodingOnEveryByteAtEveryPlace) {
    std::string text;
    for (std::size_t i = 0; i < 80; ++i) {
        text += alphabet[(i * 37) % 64];
    }
    for (int byte = 0; byte < 256; ++byte) {
        for (std::size_t place = 0; place < 40; ++place) {
            std::string bent = text;
            bent[place] = static_cast<char>(byte);
            ASSERT_EQ(decodedOrRejected(bent, {}), decodeByteByByte(bent)) << byte << " at " << place;
        }
    }
}

} // namespace
