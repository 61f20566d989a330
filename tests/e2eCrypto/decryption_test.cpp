#include "e2eCrypto/decryption.h"
#include "e2eCrypto/envelope_cipher.h"

#include "e2eCrypto/error_records.h"
#include "e2eCrypto/evp_recipient_key.h"
#include "support/document_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using testdoc::ContentCipher;

constexpr const char* missingDetails = "Necessary details needed for DECRYPTION are not given";
constexpr const char* unsupported = "This encryption algorithm is not supported in this version";
constexpr const char* noMemory = "Insufficient System Memory";
constexpr const char* notDecrypted = "Couldn't Decrypt the Given Data";
constexpr const char* keyPassword = "pem password";

// A test's call to decryptData must throw exactly this record type with exactly this text, and
// leave the output as it was.
template <typename Record>
void expectFailure(const std::function<void(std::string&)>& call, const std::string& text) {
    std::string output = "untouched";
    try {
        call(output);
        FAIL() << "no exception, expected \"" << text << "\"";
    } catch (const Record& record) {
        EXPECT_EQ(record.message, text);
    }
    EXPECT_EQ(output, "untouched");
}

std::string decryptPassPhrase(std::string_view ciphertext, const std::string& passPhrase) {
    std::string output;
    decryptData(ciphertext, output, SecretString(passPhrase), SecretString(), PassPhraseMode,
                supportedKeyFormat);
    return output;
}

std::string bytesFromHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

std::string patterned(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    }
    return bytes;
}

struct CommonCheck {
    const char* name;
    std::string input;
    std::string key;
    std::string password;
    int mode;
    int keyFormat;
    const char* message;
};

class CommonChecks : public testing::TestWithParam<CommonCheck> {};

TEST_P(CommonChecks, RefuseBeforeAnyWork) {
    const CommonCheck& check = GetParam();
    expectFailure<e2eError::error_message>(
        [&](std::string& output) {
            decryptData(check.input, output, SecretString(check.key), SecretString(check.password),
                        check.mode, check.keyFormat);
        },
        check.message);
}

INSTANTIATE_TEST_SUITE_P(
    Decryption, CommonChecks,
    testing::Values(CommonCheck{"EmptyInput", "", "key", "", 1, 3, missingDetails},
                    CommonCheck{"EmptyKey", "data", "", "", 3, 3, missingDetails},
                    CommonCheck{"EmptyKeyBeforeUnsupportedMode", "data", "", "", 2, 3, missingDetails},
                    CommonCheck{"ModeFourWithoutPassword", "data", "key", "", 4, 3, missingDetails},
                    CommonCheck{"ModeFourWithPassword", "data", "key", "pw", 4, 3, unsupported},
                    CommonCheck{"ModeTwo", "data", "key", "pw", 2, 3, unsupported},
                    CommonCheck{"ModeZero", "data", "key", "", 0, 3, unsupported},
                    CommonCheck{"KeyFormatTwo", "data", "key", "", 1, 2, unsupported},
                    CommonCheck{"KeyFormatTwoModeThree", "data", "key", "", 3, 2, unsupported}),
    [](const testing::TestParamInfo<CommonCheck>& info) { return info.param.name; });

TEST(PassPhraseDecryption, MatchesTheKnownAnswerOfTheCommandLineTool) {
    // openssl enc -des-ede3-cbc -md md5 -nosalt -pass pass:'Secret Phrase'
    const std::string ciphertext = bytesFromHex("7d9fabb920ba47c91188780e998a15d6ea7fd239d474fff2");
    EXPECT_EQ(decryptPassPhrase(ciphertext, "Secret Phrase"), "Quillbox known answer\n");
}

TEST(PassPhraseDecryption, RoundTripsContentOfEverySize) {
    for (const std::size_t size : {std::size_t{1}, std::size_t{7}, std::size_t{8}, std::size_t{9},
                                   std::size_t{307200}, std::size_t{307201}, std::size_t{1000003}}) {
        const std::string content = patterned(size);
        EXPECT_EQ(decryptPassPhrase(testdoc::passPhraseCiphertext(content, "p4ss"), "p4ss"), content) << size;
    }
}

TEST(PassPhraseDecryption, KeepsZeroBytesAndSpacesInThePassPhrase) {
    const std::string passPhrase("a b\0c ", 6);
    const std::string content("zero\0bytes\0", 11);
    EXPECT_EQ(decryptPassPhrase(testdoc::passPhraseCiphertext(content, passPhrase), passPhrase), content);
}

TEST(PassPhraseDecryption, OnlyPaddingIsAnEmptyResult) {
    const std::string ciphertext = testdoc::passPhraseCiphertext("", "p4ss");
    ASSERT_EQ(ciphertext.size(), 8u);
    expectFailure<e2eError::error_message>(
        [&](std::string& output) {
            decryptData(ciphertext, output, SecretString("p4ss"), SecretString(), 1, 3);
        },
        noMemory);
}

TEST(PassPhraseDecryption, ABadLastBlockIsNeverAShortenedResult) {
    const std::string ciphertext = testdoc::passPhraseCiphertext(patterned(100), "p4ss");
    std::string flipped = ciphertext;
    flipped.back() = static_cast<char>(flipped.back() ^ 0x5A);
    std::vector<std::string> cases = {ciphertext.substr(0, ciphertext.size() - 3), ciphertext.substr(0, 13),
                                      flipped};
    // 100 bytes end in 4 padding bytes; each is changed in turn through the block before it.
    for (std::size_t padding = 1; padding <= 4; ++padding) {
        cases.push_back(ciphertext);
        cases.back()[ciphertext.size() - 8 - padding] ^= 0x01;
    }
    for (const std::string& damaged : cases) {
        expectFailure<e2eError::error_message>(
            [&](std::string& output) {
                decryptData(damaged, output, SecretString("p4ss"), SecretString(), 1, 3);
            },
            notDecrypted);
    }
    expectFailure<e2eError::error_message>(
        [&](std::string& output) {
            decryptData(ciphertext, output, SecretString("wrong"), SecretString(), 1, 3);
        },
        notDecrypted);
}

TEST(PassPhraseCheckValue, IsBase64OfTheSha1DigestWithALineBreak) {
    EXPECT_EQ(hashPassPhrase("abc"), "qZk+NkcGgWq6PiVxeFDCbJzQ2J0=\r\n");
    EXPECT_EQ(hashPassPhrase("Secret").size(), 30u);
}

TEST(PassPhraseCheckValue, TellsLetterCaseApart) {
    EXPECT_NE(hashPassPhrase("Secret"), hashPassPhrase("secret"));
    EXPECT_NE(hashPassPhrase("SECRET"), hashPassPhrase("secret"));
}

TEST(PassPhraseCheckValue, IsEmptyWhenTheDigestStartsWithZero) {
    EXPECT_EQ(hashPassPhrase(testdoc::passPhraseWithEmptyCheckValue()), "");
}

class EnvelopeDecryption : public testing::Test {
protected:
    static testdoc::Identity identity(int keyIndex, long serial, const std::string& commonName) {
        testdoc::CertificateOptions options;
        options.subject = "/C=US/O=Acme Ltd/CN=" + commonName;
        options.keyIndex = keyIndex;
        options.keyBits = 1024;
        options.serial = serial;
        return testdoc::makeIdentity(options);
    }

    std::string decrypt(std::string_view armour, const testdoc::Identity& who,
                        std::string_view certificateDer = {}) {
        std::string output;
        EvpRecipientKey key(*who.key);
        decryptData(armour, output, key, PrivateKeyMode, supportedKeyFormat, certificateDer);
        return output;
    }

    void expectDecryptFailure(std::string_view armour, const testdoc::Identity& who, const char* message) {
        expectFailure<e2eError::error_message>(
            [&](std::string& output) {
                EvpRecipientKey key(*who.key);
                decryptData(armour, output, key, PrivateKeyMode, supportedKeyFormat);
            },
            message);
    }

    // The envelope of content for user, re-encoded after a change to its encrypted content.
    std::string envelopeWithContent(const std::function<void(ASN1_OCTET_STRING&)>& change) {
        const std::string der = testdoc::envelopedDataDer(patterned(200), {user.certificate.get()});
        const auto* cursor = reinterpret_cast<const unsigned char*>(der.data());
        const Pkcs7Ptr envelope(d2i_PKCS7(nullptr, &cursor, static_cast<long>(der.size())));
        change(*envelope->d.enveloped->enc_data->enc_data);
        unsigned char* encoded = nullptr;
        const int length = i2d_PKCS7(envelope.get(), &encoded);
        std::string result(reinterpret_cast<char*>(encoded), static_cast<std::size_t>(length));
        OPENSSL_free(encoded);
        return testdoc::armour(result);
    }

    testdoc::Identity user = identity(1, 11, "Reader User");
    testdoc::Identity other = identity(2, 22, "Other Recipient");
};

TEST_F(EnvelopeDecryption, OpensEveryContentCipherTheEnvelopeNames) {
    const std::string content = patterned(700001);
    const std::map<ContentCipher, std::string> names = {{ContentCipher::DesEde3Cbc, "DES-EDE3-CBC"},
                                                        {ContentCipher::Aes128Cbc, "AES-128-CBC"},
                                                        {ContentCipher::Aes192Cbc, "AES-192-CBC"},
                                                        {ContentCipher::Aes256Cbc, "AES-256-CBC"}};
    for (const auto& [cipher, name] : names) {
        const std::string armour =
            testdoc::armour(testdoc::envelopedDataDer(content, {user.certificate.get()}, cipher));
        EXPECT_EQ(decrypt(armour, user), content) << name;
        // Read from the armour's start alone, as the layer describes itself.
        EXPECT_EQ(envelopeCipherName(armour), name);
        EXPECT_EQ(envelopeCipherName(armour.substr(0, 200)), std::nullopt) << "cut before the cipher";
    }
    EXPECT_EQ(envelopeCipherName(testdoc::signedLayer("x", user)), std::nullopt) << "no envelope";
}

TEST_F(EnvelopeDecryption, RefusesAContentCipherItDoesNotSupport) {
    const std::string armour =
        testdoc::armour(testdoc::envelopedDataDer("text", {user.certificate.get()}, ContentCipher::DesCbc));
    expectDecryptFailure(armour, user, unsupported);
    EXPECT_EQ(envelopeCipherName(armour), "DES-CBC");
}

TEST_F(EnvelopeDecryption, FindsTheUserAmongSeveralRecipients) {
    const std::string userFirst = testdoc::armour(
        testdoc::envelopedDataDer("for both", {user.certificate.get(), other.certificate.get()}));
    const std::string userLast = testdoc::armour(
        testdoc::envelopedDataDer("for both", {other.certificate.get(), user.certificate.get()}));
    const std::string userCertificate = testdoc::certificateDer(user.certificate.get());
    const std::string strangerCertificate =
        testdoc::certificateDer(identity(3, 33, "Stranger").certificate.get());
    for (const std::string* armour : {&userFirst, &userLast}) {
        EXPECT_EQ(decrypt(*armour, user, userCertificate), "for both");
        EXPECT_EQ(decrypt(*armour, user), "for both");
        EXPECT_EQ(decrypt(*armour, user, strangerCertificate), "for both");
        EXPECT_EQ(decrypt(*armour, user, "not a certificate"), "for both");
    }
}

TEST_F(EnvelopeDecryption, OpensOnlyTheRecipientTheCertificateNames) {
    const std::string armour = testdoc::armour(
        testdoc::envelopedDataDer("for both", {user.certificate.get(), other.certificate.get()}));
    expectFailure<e2eError::error_message>(
        [&](std::string& output) {
            EvpRecipientKey key(*user.key);
            decryptData(armour, output, key, 3, 3, testdoc::certificateDer(other.certificate.get()));
        },
        notDecrypted);
}

TEST_F(EnvelopeDecryption, FailsForAKeyOfNoRecipient) {
    const std::string armour =
        testdoc::armour(testdoc::envelopedDataDer("secret", {other.certificate.get()}));
    expectDecryptFailure(armour, user, notDecrypted);
}

// Empty content is content (the job says there is nothing to save); no ciphertext at all, not even
// the padding block, is no content.
TEST_F(EnvelopeDecryption, EmptyContentIsAnEmptyResultAndNoCiphertextIsUndecryptable) {
    std::string output = "stale";
    EvpRecipientKey key(*user.key);
    decryptData(testdoc::armour(testdoc::envelopedDataDer("", {user.certificate.get()})), output, key,
                PrivateKeyMode, supportedKeyFormat);
    EXPECT_EQ(output, "");
    const std::string noCiphertext = envelopeWithContent(
        [](ASN1_OCTET_STRING& content) { ASSERT_EQ(ASN1_OCTET_STRING_set(&content, nullptr, 0), 1); });
    expectDecryptFailure(noCiphertext, user, notDecrypted);
}

TEST_F(EnvelopeDecryption, ABadLastBlockIsNeverAShortenedResult) {
    const std::string shortened = envelopeWithContent([](ASN1_OCTET_STRING& content) {
        ASSERT_EQ(ASN1_OCTET_STRING_set(&content, content.data, content.length - 3), 1);
    });
    const std::string flipped =
        envelopeWithContent([](ASN1_OCTET_STRING& content) { content.data[content.length - 1] ^= 0x5A; });
    expectDecryptFailure(shortened, user, notDecrypted);
    expectDecryptFailure(flipped, user, notDecrypted);
    // 200 bytes end in a whole block of padding; each byte is changed in turn through the block before.
    for (int padding = 1; padding <= 8; ++padding) {
        expectDecryptFailure(envelopeWithContent([padding](ASN1_OCTET_STRING& content) {
                                 content.data[content.length - 8 - padding] ^= 0x01;
                             }),
                             user, notDecrypted);
    }
}

TEST_F(EnvelopeDecryption, RefusesASignedDataStructure) {
    expectDecryptFailure(testdoc::signedLayer("signed", user), user, notDecrypted);
}

TEST_F(EnvelopeDecryption, RefusesAKeyGivenAsTextBeforeTheArmour) {
    // The recipient's key is used where it lives; text in its place is no key, whatever it holds.
    const std::string pem = testdoc::encryptedPrivateKeyPem(user.key, keyPassword);
    for (const std::string& input :
         {testdoc::armour(testdoc::envelopedDataDer("secret", {user.certificate.get()})),
          std::string("no armour")}) {
        expectFailure<e2eError::error_message>(
            [&](std::string& output) {
                decryptData(input, output, SecretString(pem), SecretString(keyPassword), 3, 3);
            },
            "Invalid Private key");
    }
}

TEST_F(EnvelopeDecryption, ReportsABrokenArmourByItsKind) {
    const std::string der = testdoc::envelopedDataDer("secret", {user.certificate.get()});
    expectFailure<errorDef::error_message>(
        [&](std::string& output) { decrypt("no armour at all", user).swap(output); },
        "Invalid Encryption Format");
    expectFailure<errorDef::error_message>(
        [&](std::string& output) { decrypt("-----BEGIN PKCS7-----\r\nAAAA\r\n", user).swap(output); },
        "Invalid Encryption Format");
    expectFailure<errorDef::error_message>(
        [&](std::string& output) {
            decrypt("-----BEGIN PKCS7-----\r\nA*AA\r\n-----END PKCS7-----", user).swap(output);
        },
        "Error in decoding. Format is invalid");
    expectDecryptFailure(testdoc::armour("not DER"), user, "Invalid Encryption Format");
    expectDecryptFailure(testdoc::armour(der.substr(0, der.size() / 2)), user, "Invalid Encryption Format");
}

} // namespace

namespace {

// Who an envelope is for, and which certificate the layer names.
// CurveReader: the reader holds an elliptic-curve key, and the envelope is for it (and CurveOther).
enum class For {
    Reader,
    ReaderAndOther,
    Other,
    EllipticCurveKey,
    NoCertificate,
    CurveReader,
    CurveReaderAndOther
};
enum class Names { Nothing, Reader, Other };

struct CmsCase {
    const char* name;
    testdoc::CmsEnvelopeOptions options;
    For recipients;
    Names layerCertificate;
    const char* message; // null when the reader's key opens it
    std::size_t contentSize = 100003;
};

class CmsEnvelopes : public testing::TestWithParam<CmsCase> {};

const testdoc::Identity& withKeyIdentifier(int keyIndex, const char* commonName, bool ellipticCurve = false) {
    static std::map<int, testdoc::Identity> identities;
    auto [entry, added] = identities.try_emplace(keyIndex);
    if (added) {
        entry->second = testdoc::makeIdentity({.subject = std::string("/CN=") + commonName,
                                               .serial = keyIndex,
                                               .keyIndex = keyIndex,
                                               .keyBits = 1024,
                                               .subjectKeyIdentifier = true,
                                               .ellipticCurve = ellipticCurve});
    }
    return entry->second;
}

TEST_P(CmsEnvelopes, OpenWithTheKeyOfAKeyTransportRecipient) {
    const CmsCase& test = GetParam();
    const bool curve = test.recipients == For::CurveReader || test.recipients == For::CurveReaderAndOther;
    const testdoc::Identity& reader =
        curve ? withKeyIdentifier(5, "Curve Reader", true) : withKeyIdentifier(1, "Reader");
    const testdoc::Identity& other =
        curve ? withKeyIdentifier(6, "Curve Other", true) : withKeyIdentifier(2, "Other");
    const std::map<For, std::vector<const X509*>> recipients{
        {For::Reader, {reader.certificate.get()}},
        {For::ReaderAndOther, {other.certificate.get(), reader.certificate.get()}},
        {For::Other, {other.certificate.get()}},
        {For::EllipticCurveKey, {withKeyIdentifier(3, "Curve", true).certificate.get()}},
        {For::NoCertificate, {}},
        {For::CurveReader, {reader.certificate.get()}},
        {For::CurveReaderAndOther, {other.certificate.get(), reader.certificate.get()}}};
    const std::string named =
        test.layerCertificate == Names::Nothing
            ? std::string()
            : testdoc::certificateDer(
                  (test.layerCertificate == Names::Reader ? reader : other).certificate.get());
    const std::string content = patterned(test.contentSize);
    const std::string armour =
        testdoc::armour(testdoc::cmsEnvelopedDataDer(content, recipients.at(test.recipients), test.options));
    const auto open = [&](std::string& output) {
        EvpRecipientKey key(*reader.key);
        decryptData(armour, output, key, PrivateKeyMode, supportedKeyFormat, named);
    };
    if (test.message == nullptr) {
        std::string output;
        open(output);
        EXPECT_EQ(output, content);
    } else {
        expectFailure<e2eError::error_message>(open, test.message);
    }
}

using Options = testdoc::CmsEnvelopeOptions;

INSTANTIATE_TEST_SUITE_P(
    Decryption, CmsEnvelopes,
    testing::Values(
        CmsCase{"IssuerAndSerial", Options{.cipher = ContentCipher::DesEde3Cbc}, For::Reader, Names::Reader,
                nullptr},
        CmsCase{"KeyIdentifier", Options{.bySubjectKeyIdentifier = true}, For::Reader, Names::Nothing,
                nullptr},
        CmsCase{"OaepSha1", Options{.oaepDigest = EVP_sha1()}, For::Reader, Names::Reader, nullptr},
        CmsCase{"OaepSha256WithLabel", Options{.oaepDigest = EVP_sha256(), .oaepLabel = "quillbox"},
                For::Reader, Names::Nothing, nullptr},
        CmsCase{"OaepSha384KeyIdentifierAes128",
                Options{.cipher = ContentCipher::Aes128Cbc,
                        .bySubjectKeyIdentifier = true,
                        .oaepDigest = EVP_sha384()},
                For::Reader, Names::Reader, nullptr},
        // Empty content is content: the job, not the decryption, says there is nothing to save.
        CmsCase{"EmptyContent", Options{}, For::Reader, Names::Reader, nullptr, 0},
        CmsCase{"KeyIdentifierMatchedAmongSeveral",
                Options{.bySubjectKeyIdentifier = true, .oaepDigest = EVP_sha256()}, For::ReaderAndOther,
                Names::Reader, nullptr},
        CmsCase{"KeyIdentifierTriedInTurn", Options{.bySubjectKeyIdentifier = true}, For::ReaderAndOther,
                Names::Nothing, nullptr},
        CmsCase{"OnlyTheNamedRecipientIsOpened", Options{.bySubjectKeyIdentifier = true}, For::ReaderAndOther,
                Names::Other, notDecrypted},
        CmsCase{"OaepForSomeoneElse", Options{.oaepDigest = EVP_sha256()}, For::Other, Names::Nothing,
                notDecrypted},
        CmsCase{"KeyEncryptionKeyBesideTheReader", Options{.keyEncryptionKeyRecipient = true}, For::Reader,
                Names::Nothing, nullptr},
        CmsCase{"KeyEncryptionKeyOnly", Options{.keyEncryptionKeyRecipient = true}, For::NoCertificate,
                Names::Nothing, unsupported},
        CmsCase{"PasswordOnly", Options{.passwordRecipient = "secret"}, For::NoCertificate, Names::Nothing,
                unsupported},
        CmsCase{"KeyAgreementOnly", Options{}, For::EllipticCurveKey, Names::Nothing, unsupported},
        CmsCase{"KeyAgreement", Options{}, For::CurveReader, Names::Reader, nullptr},
        CmsCase{"KeyAgreementKeyIdentifierDesEde3",
                Options{.cipher = ContentCipher::DesEde3Cbc, .bySubjectKeyIdentifier = true},
                For::CurveReader, Names::Nothing, nullptr},
        CmsCase{"KeyAgreementMatchedAmongSeveral", Options{}, For::CurveReaderAndOther, Names::Reader,
                nullptr},
        CmsCase{"KeyAgreementTriedInTurn", Options{.cipher = ContentCipher::Aes128Cbc},
                For::CurveReaderAndOther, Names::Nothing, nullptr},
        CmsCase{"KeyAgreementForSomeoneElse", Options{}, For::CurveReaderAndOther, Names::Other,
                notDecrypted},
        CmsCase{"AuthenticatedCipher", Options{.cipher = ContentCipher::Aes256Gcm}, For::Reader,
                Names::Reader, unsupported},
        CmsCase{"SingleDes", Options{.cipher = ContentCipher::DesCbc, .oaepDigest = EVP_sha256()},
                For::Reader, Names::Reader, unsupported}),
    [](const testing::TestParamInfo<CmsCase>& info) { return info.param.name; });

} // namespace
