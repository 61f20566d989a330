// Decoding and decrypting inside the buffer that holds a layer: the results must be exactly those of
// the copying functions, whatever stands before the text in the buffer, and a failure must leave the
// buffer empty (or, for a layer refused before its decoding began, as it was).
#include "e2eCrypto/armour_reading.h"
#include "e2eCrypto/base64.h"
#include "e2eCrypto/decryption.h"
#include "e2eCrypto/envelope_cipher.h"
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/evp_recipient_key.h"
#include "support/document_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string patterned(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 167 + i / 11) & 0xFF);
    }
    return bytes;
}

// Large enough to be decrypted in several runs at once, and no multiple of any run count.
const std::size_t largeSize = (std::size_t{5} << 20) + 13;

struct Base64Case {
    const char* name;
    std::string prefix; // what stands in the buffer before the text
    std::string first;
    std::string between; // cut out, as an armour's END marker is
    std::string second;
};

class Base64WithinTest : public testing::TestWithParam<Base64Case> {};

TEST_P(Base64WithinTest, MatchesTheCopyingDecoder) {
    const Base64Case& c = GetParam();
    std::string buffer = c.prefix + c.first + c.between + c.second;
    const std::string_view whole(buffer);
    const std::string_view first = whole.substr(c.prefix.size(), c.first.size());
    const std::string_view second = whole.substr(c.prefix.size() + c.first.size() + c.between.size());
    std::string expected;
    try {
        expected = decodeBase64(first, second);
    } catch (const errorDef::error_message& error) {
        EXPECT_THROW(checkBase64(first, second), errorDef::error_message);
        EXPECT_THROW(decodeBase64Within(buffer, first, second), errorDef::error_message);
        EXPECT_TRUE(buffer.empty());
        return;
    }
    EXPECT_NO_THROW(checkBase64(first, second));
    decodeBase64Within(buffer, first, second);
    EXPECT_EQ(buffer, expected);
}

const std::string longText = encodeBase64(patterned(100001));

INSTANTIATE_TEST_SUITE_P(Texts, Base64WithinTest,
                         testing::Values(Base64Case{"WholeBufferFromItsFirstByte", "", longText, "", ""},
                                         Base64Case{"AfterAMarker", "-----SYMMETRIC-----Q1|x|", longText, "",
                                                    ""},
                                         Base64Case{"TwoPiecesAroundACut", "", longText.substr(0, 5003),
                                                    "-----END PKCS7-----", longText.substr(5003)},
                                         Base64Case{"LineFeedsOnly", "p", "TWFu\nTWFu\nTQ==", "", ""},
                                         Base64Case{"UnpaddedTail", "", "TWFuTQ", "", ""},
                                         Base64Case{"PaddingEndsTheText", "", "TQ==", "-cut-", "TWFu"},
                                         Base64Case{"BadByte", "prefix", "TWF*", "", ""},
                                         Base64Case{"BadByteInTheSecondPiece", "", "TWFu", "-cut-", "TW!u"}),
                         [](const testing::TestParamInfo<Base64Case>& info) { return info.param.name; });

TEST(ArmourWithin, DecodesTheArmourWhereverItStandsInTheBuffer) {
    const std::string der = patterned(3001);
    const std::string prefix = "-----ID353-3CBC-----@@MIIcertificate@@";
    std::string buffer = prefix + testdoc::armour(der) + "trailing";
    const std::string_view layer = std::string_view(buffer).substr(prefix.size());
    const std::string expected = decodePkcs7Armour(layer, "no begin", "no end");
    decodePkcs7ArmourWithin(buffer, layer, "no begin", "no end");
    EXPECT_EQ(buffer, expected);
}

TEST(ArmourWithin, AMissingMarkerLeavesTheBufferAsItWas) {
    for (const std::string text : {"no armour at all", "-----BEGIN PKCS7-----TWFu"}) {
        std::string buffer = text;
        EXPECT_THROW(decodePkcs7ArmourWithin(buffer, buffer, "no begin", "no end"), errorDef::error_message);
        EXPECT_EQ(buffer, text);
    }
}

TEST(ClassifyEnvelope, RefusesABadArmourBodyWithoutDecodingIt) {
    EXPECT_THROW(classifyEnvelope("-----BEGIN PKCS7-----TW*u-----END PKCS7-----"), errorDef::error_message);
    EXPECT_EQ(classifyEnvelope(testdoc::armour(patterned(50))), EnvelopeKind::Pkcs7);
}

// Reading a document while decoding its armour gives what the whole text's readers give, wherever the
// pieces are cut (inside the END marker, a group of four, a CR LF), or declines and leaves the text's
// readers to report what they find.
struct ReadingCase {
    const char* name;
    std::string document;
    bool decoded;
};

class ArmourReadingTest : public testing::TestWithParam<ReadingCase> {};

TEST_P(ArmourReadingTest, GivesWhatTheWholeTextGivesOrDeclines) {
    const std::string_view text(GetParam().document);
    for (std::size_t pieceSize = 1; pieceSize <= 24; ++pieceSize) {
        std::size_t at = 0;
        const auto next = [&](char* buffer, std::size_t size) {
            const std::size_t count = std::min(size, text.size() - at);
            std::memcpy(buffer, text.data() + at, count);
            at += count;
            return static_cast<std::int64_t>(count);
        };
        std::string content;
        const std::optional<DecodedArmour> read = readDecodingArmour(content, text.size(), next, pieceSize);
        ASSERT_EQ(read.has_value(), GetParam().decoded) << pieceSize;
        if (read) {
            const std::size_t certificateEnd =
                read->kind == EnvelopeKind::Asymmetric ? text.find("@@", 22) : 0;
            const std::string_view armour = certificateEnd == 0 ? text : text.substr(certificateEnd + 2);
            EXPECT_EQ(classifyEnvelope(text), read->kind);
            EXPECT_EQ(read->certificateText, certificateEnd == 0 ? "" : text.substr(22, certificateEnd - 22));
            EXPECT_EQ(content, decodePkcs7Armour(armour, "", "")) << pieceSize;
            EXPECT_EQ(envelopeCipherNameOfDer(content, read->decodedBeforeEnd), envelopeCipherName(armour));
        }
    }
}

const std::string envelope = [] {
    const testdoc::Identity user = testdoc::makeIdentity({.keyIndex = 3, .keyBits = 1024});
    return testdoc::armour(testdoc::envelopedDataDer(patterned(700), {user.certificate.get()}));
}();
const std::string certificateMarker = "-----ID353-3CBC-----@@";

INSTANTIATE_TEST_SUITE_P(
    Documents, ArmourReadingTest,
    testing::Values(
        ReadingCase{"SignedLayer", testdoc::armour(patterned(3001)), true},
        ReadingCase{"LineFeedsOnly", testdoc::armour(patterned(3001), "\n"), true},
        ReadingCase{"CertificateLayer", certificateMarker + "MIIC\r\n@@" + envelope, true},
        // The cipher is then named from the few bytes before the marker only, as in the text.
        ReadingCase{"EndMarkerEarlyInTheBody",
                    certificateMarker + "@@" + envelope.substr(0, 61) + "-----END PKCS7-----" +
                        envelope.substr(61, envelope.size() - 61 - 21),
                    true},
        ReadingCase{"BytesAfterTheEndMarker", "-----BEGIN PKCS7-----TWFu\r\n-----END PKCS7-----TWFu\r\n",
                    true},
        ReadingCase{"PaddingThenAnything", "-----BEGIN PKCS7-----TQ==\r\n-----END PKCS7-----*-", true},
        ReadingCase{"NoEndMarker", "-----BEGIN PKCS7-----TWFuTWFu\r\n-----END PKCS", false},
        ReadingCase{"BadByte", "-----BEGIN PKCS7-----TW*u-----END PKCS7-----", false},
        ReadingCase{"BadByteAfterTheEndMarker", "-----BEGIN PKCS7-----TWFu-----END PKCS7-----TW!u", false},
        ReadingCase{"BeginMarkerLater", " -----BEGIN PKCS7-----TWFu-----END PKCS7-----", false},
        ReadingCase{"NothingDecoded", "-----BEGIN PKCS7-----\r\n-----END PKCS7-----\r\n", false},
        ReadingCase{"CertificateWithoutItsEnd", certificateMarker + "TUlJ-----BEGIN PKCS7-----", false},
        ReadingCase{"CertificateThenNoArmour", certificateMarker + "TUlJ@@ -----BEGIN PKCS7-----TWFu", false},
        ReadingCase{"PassPhraseLayer", "-----SYMMETRIC-----Q1|x|TWFu", false}),
    [](const testing::TestParamInfo<ReadingCase>& info) { return info.param.name; });

// decryptDataWithin must give exactly what decryptData gives, or fail with its record and an empty buffer.
template <typename Record, typename... Key>
void expectFailureWithin(std::string buffer, std::size_t inputOffset, Key&&... key, int mode,
                         const char* message) {
    const std::string_view input = std::string_view(buffer).substr(inputOffset);
    try {
        decryptDataWithin(buffer, input, std::forward<Key>(key)..., mode, supportedKeyFormat);
        FAIL() << "no exception, expected \"" << message << "\"";
    } catch (const Record& record) {
        EXPECT_EQ(record.message, message);
    }
    EXPECT_TRUE(buffer.empty());
}

TEST(PassPhraseDecryptionWithin, GivesTheContentOfEverySize) {
    for (const std::size_t size : {std::size_t{1}, std::size_t{8}, std::size_t{307201}, largeSize}) {
        const std::string content = patterned(size);
        std::string buffer = testdoc::passPhraseCiphertext(content, "p4ss");
        decryptDataWithin(buffer, buffer, SecretString("p4ss"), SecretString(), PassPhraseMode,
                          supportedKeyFormat);
        EXPECT_EQ(buffer, content) << size;
    }
}

TEST(PassPhraseDecryptionWithin, TakesTheCiphertextFromAnywhereInTheBuffer) {
    const std::string content = patterned(1000);
    const std::string prefix = "before the ciphertext";
    std::string buffer = prefix + testdoc::passPhraseCiphertext(content, "p4ss");
    decryptDataWithin(buffer, std::string_view(buffer).substr(prefix.size()), SecretString("p4ss"),
                      SecretString(), PassPhraseMode, supportedKeyFormat);
    EXPECT_EQ(buffer, content);
}

TEST(PassPhraseDecryptionWithin, ABadLastBlockOrKeyLeavesNothing) {
    const std::string ciphertext = testdoc::passPhraseCiphertext(patterned(largeSize), "p4ss");
    std::string flipped = ciphertext;
    flipped.back() = static_cast<char>(flipped.back() ^ 0x5A);
    for (const std::string& damaged : {flipped, ciphertext.substr(0, ciphertext.size() - 3)}) {
        expectFailureWithin<e2eError::error_message, const SecretString&, const SecretString&>(
            damaged, 0, SecretString("p4ss"), SecretString(), PassPhraseMode,
            "Couldn't Decrypt the Given Data");
    }
    expectFailureWithin<e2eError::error_message, const SecretString&, const SecretString&>(
        ciphertext, 0, SecretString("wrong"), SecretString(), PassPhraseMode,
        "Couldn't Decrypt the Given Data");
    expectFailureWithin<e2eError::error_message, const SecretString&, const SecretString&>(
        testdoc::passPhraseCiphertext("", "p4ss"), 0, SecretString("p4ss"), SecretString(), PassPhraseMode,
        "Insufficient System Memory");
}

class EnvelopeDecryptionWithin : public testing::Test {
protected:
    static const testdoc::Identity& user() {
        static const testdoc::Identity identity = testdoc::makeIdentity({.keyIndex = 3, .keyBits = 1024});
        return identity;
    }
    const std::string prefix = "-----ID353-3CBC-----@@certificate text@@";
    EvpRecipientKey key{*user().key};
};

TEST_F(EnvelopeDecryptionWithin, OpensLargeContentInEveryCipher) {
    const std::string content = patterned(largeSize);
    for (const auto cipher : {testdoc::ContentCipher::DesEde3Cbc, testdoc::ContentCipher::Aes256Cbc}) {
        std::string buffer =
            prefix + testdoc::armour(testdoc::envelopedDataDer(content, {user().certificate.get()}, cipher));
        decryptDataWithin(buffer, std::string_view(buffer).substr(prefix.size()), key, PrivateKeyMode,
                          supportedKeyFormat, testdoc::certificateDer(user().certificate.get()));
        EXPECT_TRUE(buffer == content) << static_cast<int>(cipher);
    }
}

TEST_F(EnvelopeDecryptionWithin, TriesEveryRecipientWhenNoneIsNamed) {
    const std::string content = patterned(largeSize);
    const testdoc::Identity other = testdoc::makeIdentity({.keyIndex = 4, .keyBits = 1024});
    std::string buffer = prefix + testdoc::armour(testdoc::envelopedDataDer(
                                      content, {other.certificate.get(), user().certificate.get()}));
    decryptDataWithin(buffer, std::string_view(buffer).substr(prefix.size()), key, PrivateKeyMode,
                      supportedKeyFormat);
    EXPECT_TRUE(buffer == content);
}

TEST_F(EnvelopeDecryptionWithin, ABrokenArmourLeavesNothing) {
    const std::string armour =
        testdoc::armour(testdoc::envelopedDataDer("content", {user().certificate.get()}));
    expectFailureWithin<errorDef::error_message, RecipientKey&>(prefix + armour.substr(0, armour.size() - 30),
                                                                prefix.size(), key, PrivateKeyMode,
                                                                "Invalid Encryption Format");
    expectFailureWithin<e2eError::error_message, RecipientKey&>(prefix + testdoc::armour("not an envelope"),
                                                                prefix.size(), key, PrivateKeyMode,
                                                                "Invalid Encryption Format");
}

} // namespace
