#include "e2eCrypto/string_tokenizer.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// Tokens as callers take them: while the position is not none. The cap turns a tokenizer that
// never reaches none into a failure instead of a hang.
std::vector<std::string> tokensOf(StringTokenizer& tokenizer) {
    std::vector<std::string> tokens;
    while (tokenizer.position() != StringTokenizer::none && tokens.size() < 100) {
        tokens.push_back(tokenizer.nextToken());
    }
    return tokens;
}

struct TokenCase {
    const char* name;
    std::string text;
    std::optional<std::string> delimiters; // the default set when absent
    std::vector<std::string> tokens;
};

class StringTokenizerCases : public ::testing::TestWithParam<TokenCase> {};

TEST_P(StringTokenizerCases, SplitsAsCallersSeeIt) {
    StringTokenizer tokenizer;
    tokenizer.setText(GetParam().text);
    if (GetParam().delimiters) {
        tokenizer.setDelimiters(*GetParam().delimiters);
    }
    EXPECT_EQ(tokensOf(tokenizer), GetParam().tokens);
    EXPECT_EQ(tokenizer.nextToken(), "");
    EXPECT_EQ(tokenizer.position(), StringTokenizer::none);
}

using Tokens = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Cases, StringTokenizerCases,
    ::testing::Values(
        TokenCase{"DefaultSet", "From: <a@b.c>", std::nullopt, Tokens{"From", "a", "b.c"}},
        TokenCase{
            "DefaultSetAllKinds", "a(b)c<d>e@f,g;h:i[j]k?l=m{n}o p\tq", std::nullopt,
            Tokens{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q"}},
        TokenCase{"LeadingBlanksSkipped", "  two blanks", std::nullopt, Tokens{"two", "blanks"}},
        TokenCase{"LeadingLineBreaksSkipped", "\t\r\n x", std::nullopt, Tokens{"x"}},
        TokenCase{"EmptyText", "", std::nullopt, Tokens{}},
        TokenCase{"BlankText", " \t\r\n", std::nullopt, Tokens{}},
        TokenCase{"SubjectLine", "/C=US/O=Acme Ltd/CN=Test Signer", "/",
                  Tokens{"", "C=US", "O=Acme Ltd", "CN=Test Signer"}},
        TokenCase{"RunOfDelimiters", "a;;b;", ";", Tokens{"a", "b"}},
        TokenCase{"LeadingDelimiter", ";a", ";", Tokens{"", "a"}},
        // blanks are skipped at the start only, never between tokens
        TokenCase{"InnerBlanksKept", " a; b ;c", ";", Tokens{"a", " b ", "c"}},
        TokenCase{"BlanksBeforeLeadingDelimiter", "  ;a", ";", Tokens{"", "a"}},
        TokenCase{"NoDelimiterInText", "one item", ";", Tokens{"one item"}},
        TokenCase{"EmptyDelimiterSet", "a;b", "", Tokens{"a;b"}},
        TokenCase{"ZeroBytesAreOrdinary", std::string("a\0b;c", 5), ";", Tokens{std::string("a\0b", 3), "c"}},
        // "\r\n" is one two-byte separator: lone CR and LF stay in the token, and empty lines count
        TokenCase{"LineSeparator", "one\r\ntwo\r\n\r\nfour", "\r\n", Tokens{"one", "two", "", "four"}},
        // a separator at the very end ends the tokens, so a caller's loop stops
        TokenCase{"LineSeparatorAtTheEnd", "a\r\nb\r\n", "\r\n", Tokens{"a", "b"}},
        TokenCase{"LineSeparatorLoneBytesKept", "a\rb\nc", "\r\n", Tokens{"a\rb\nc"}},
        // the same two bytes in the other order are an ordinary set
        TokenCase{"LineBytesAsSet", "a\r\n\nb\rc", "\n\r", Tokens{"a", "b", "c"}}),
    [](const ::testing::TestParamInfo<TokenCase>& info) { return std::string(info.param.name); });

TEST(StringTokenizer, PositionMovesPastTheWholeRun) {
    StringTokenizer tokenizer;
    tokenizer.setText("a;;b;");
    tokenizer.setDelimiters(";");
    EXPECT_EQ(tokenizer.position(), 0u);
    EXPECT_EQ(tokenizer.nextToken(), "a");
    EXPECT_EQ(tokenizer.position(), 3u);
    EXPECT_EQ(tokenizer.nextToken(), "b");
    EXPECT_EQ(tokenizer.position(), StringTokenizer::none);
}

TEST(StringTokenizer, SetTextRestoresTheDefaultDelimiters) {
    StringTokenizer tokenizer("ignored");
    tokenizer.setDelimiters("/");
    tokenizer.setText("a/b c;d");
    EXPECT_EQ(tokensOf(tokenizer), (Tokens{"a/b", "c", "d"}));
}

TEST(StringTokenizer, ConstructionTakesTheTextLikeSetText) {
    StringTokenizer tokenizer("  x y");
    EXPECT_EQ(tokenizer.position(), 2u);
    EXPECT_EQ(tokensOf(tokenizer), (Tokens{"x", "y"}));
    StringTokenizer empty;
    EXPECT_EQ(empty.position(), StringTokenizer::none);
    EXPECT_EQ(empty.nextToken(), "");
}

} // namespace
