// The CryptoAPI "MY" store of a throw-away Wine user: a key imported from a PKCS#12 made in code
// comes back as the PEM of the same key; every refusal has its exact text. The tests run in the
// order written: the last replaces the user's one key container with a non-exportable key.
#include "certs/key_store.h"
#include "certs/private_key_blob.h"
#include "e2eCrypto/base64.h"
#include "e2eCrypto/error_records.h"
#include "my_store_import.h"
#include "support/document_writer.h"

#include <openssl/bio.h>
#include <openssl/pem.h>

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
        fetchDecryptionKey(text, SecretString("transient"), *store);
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

TEST_F(PersonalStore, ExportsTheKeyOfTheStoredCertificate) {
    auto store = openUserKeyStore("", {});
    const SecretString pem =
        fetchDecryptionKey(certificateText(recipient()), SecretString("transient"), *store);
    const BioPtr channel(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    const EvpPkeyPtr key(
        PEM_read_bio_PrivateKey(channel.get(), nullptr, nullptr, const_cast<char*>("transient")));
    ASSERT_TRUE(key);
    EXPECT_EQ(EVP_PKEY_eq(key.get(), recipient().key), 1);
}

TEST_F(PersonalStore, RefusesWithTheStoresTexts) {
    EXPECT_EQ(refusal(certificateText(identity("Stranger", 21))),
              "Decryption Certificate of \"Stranger\" not found!");
    // Bytes that name a certificate but are none: the same text without the exclamation mark.
    std::string broken = testdoc::certificateDer(identity("Broken", 22).certificate.get());
    broken.resize(broken.size() - 40);
    auto store = openUserKeyStore("", {});
    try {
        store->exportPrivateKeyBlob(broken, "Broken");
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

TEST_F(PersonalStore, RefusesAKeyImportedAsNotExportable) {
    const testdoc::Identity locked = identity("Locked Recipient", 23);
    ASSERT_EQ(importIntoPersonalStore(testdoc::pkcs12(locked, "import"), "import", false), "");
    EXPECT_EQ(refusal(certificateText(locked)),
              "Error getting key. Private Key residing in your Internet Explorer is not exportable ");
}

} // namespace
