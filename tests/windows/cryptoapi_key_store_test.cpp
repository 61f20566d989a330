// The CryptoAPI "MY" store of a throw-away Wine user: a key imported from a PKCS#12 made in code,
// exportable or not, opens a document made for its certificate where it lives; every refusal has its
// exact text. The tests run in the order written: the last replaces the user's one key container with
// a non-exportable key.
#include "certs/key_store.h"
#include "e2eCrypto/base64.h"
#include "e2eCrypto/decryption.h"
#include "e2eCrypto/error_records.h"
#include "my_store_import.h"
#include "support/document_writer.h"

#include <gtest/gtest.h>

namespace {

testdoc::Identity identity(const char* commonName, int keyIndex) {
    testdoc::CertificateOptions options;
    options.subject = std::string("/C=US/O=Acme Ltd/CN=") + commonName + "/emailAddress=store@example.com";
    options.keyIndex = keyIndex;
    options.serial = 100 + keyIndex;
    return testdoc::makeIdentity(options);
}

std::string certificateText(const testdoc::Identity& who) {
    return encodeBase64(testdoc::certificateDer(who.certificate.get()));
}

std::string refusal(const std::string& text) {
    try {
        auto store = openUserKeyStore("", {});
        fetchDecryptionKey(text, *store);
    } catch (const errorDef::error_message& error) {
        return error.message;
    }
    return "(no refusal)";
}

class PersonalStore : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(importIntoPersonalStore(testdoc::pkcs12(recipient(), "import"), "import", true), "");
    }
    static const testdoc::Identity& recipient() {
        static const testdoc::Identity who = identity("Store Recipient", 20);
        return who;
    }
};

// The stored key opens a document made for who, with PKCS#1 v1.5 and with OAEP (SHA-1) padding.
void expectKeyOpensDocuments(const testdoc::Identity& who) {
    auto store = openUserKeyStore("", {});
    const std::unique_ptr<RecipientKey> key = fetchDecryptionKey(certificateText(who), *store);
    for (const EVP_MD* oaep : {static_cast<const EVP_MD*>(nullptr), EVP_sha1()}) {
        const std::string armour = testdoc::armour(testdoc::cmsEnvelopedDataDer(
            "for the stored key", {who.certificate.get()}, {.oaepDigest = oaep}));
        std::string output;
        decryptData(armour, output, *key, PrivateKeyMode, supportedKeyFormat);
        EXPECT_EQ(output, "for the stored key");
    }
}

TEST_F(PersonalStore, OpensADocumentWithTheKeyWhereItLives) {
    expectKeyOpensDocuments(recipient());
}

TEST_F(PersonalStore, RefusesWithTheStoresTexts) {
    EXPECT_EQ(refusal(certificateText(identity("Stranger", 21))),
              "Decryption Certificate of \"Stranger\" not found!");
    // Bytes that name a certificate but are none: the same text without the exclamation mark.
    std::string broken = testdoc::certificateDer(identity("Broken", 22).certificate.get());
    broken.resize(broken.size() - 40);
    auto store = openUserKeyStore("", {});
    try {
        store->findRecipientKey(broken, "Broken");
        ADD_FAILURE() << "no exception";
    } catch (const errorDef::error_message& error) {
        EXPECT_EQ(error.message, "Decryption Certificate of \"Broken\" not found");
    }
}

TEST_F(PersonalStore, RefusesACertificateStoredWithoutItsKey) {
    const testdoc::Identity keyless = identity("Keyless Recipient", 24);
    ASSERT_EQ(addCertificateToPersonalStore(testdoc::certificateDer(keyless.certificate.get())), "");
    EXPECT_EQ(refusal(certificateText(keyless)),
              "Private Key residing in your Internet Explorer is not exportable");
}

// This system's store agrees on no keys: a document whose recipient is an elliptic-curve certificate
// (key agreement, as `openssl cms -encrypt` makes it) is an algorithm this version does not open.
TEST_F(PersonalStore, RefusesAKeyAgreementRecipientAsUnsupported) {
    const testdoc::Identity curve = testdoc::makeIdentity({.keyIndex = 25, .ellipticCurve = true});
    auto store = openUserKeyStore("", {});
    const std::unique_ptr<RecipientKey> key = fetchDecryptionKey(certificateText(recipient()), *store);
    const std::string armour =
        testdoc::armour(testdoc::cmsEnvelopedDataDer("for a curve", {curve.certificate.get()}));
    try {
        std::string output;
        decryptData(armour, output, *key, PrivateKeyMode, supportedKeyFormat);
        ADD_FAILURE() << "no exception";
    } catch (const e2eError::error_message& error) {
        EXPECT_EQ(error.message, "This encryption algorithm is not supported in this version");
    }
}

TEST_F(PersonalStore, OpensADocumentWithAKeyImportedAsNotExportable) {
    const testdoc::Identity locked = identity("Locked Recipient", 23);
    ASSERT_EQ(importIntoPersonalStore(testdoc::pkcs12(locked, "import"), "import", false), "");
    expectKeyOpensDocuments(locked);
}

} // namespace
