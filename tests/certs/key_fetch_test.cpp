#include "certs/key_store.h"
#include "e2eCrypto/base64.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/evp_recipient_key.h"
#include "support/document_writer.h"

#include <gtest/gtest.h>

namespace {

// A store that hands out a fixed key and remembers what it was asked for.
class FixedKeyStore : public KeyStore {
public:
    explicit FixedKeyStore(EVP_PKEY* key) : key_(key) {}
    std::unique_ptr<RecipientKey> findRecipientKey(const std::string& certificateDer,
                                                   const std::string& name) override {
        askedDer = certificateDer;
        askedName = name;
        return std::make_unique<EvpRecipientKey>(*key_);
    }
    std::string askedDer;
    std::string askedName;

private:
    EVP_PKEY* key_;
};

testdoc::Identity user() {
    testdoc::CertificateOptions options;
    options.subject = "/C=US/O=Acme Ltd/CN=Key Fetch User/emailAddress=user@example.com";
    options.keyIndex = 8;
    options.keyBits = 1024;
    return testdoc::makeIdentity(options);
}

TEST(FetchDecryptionKey, AsksTheStoreForTheCertificateByItsCommonName) {
    const testdoc::Identity identity = user();
    FixedKeyStore store(identity.key);
    const std::string der = testdoc::certificateDer(identity.certificate.get());
    EXPECT_EQ(fetchDecryptionKey(encodeBase64(der), store)->kind(), RecipientKey::Kind::Rsa);
    EXPECT_EQ(store.askedDer, der);
    EXPECT_EQ(store.askedName, "Key Fetch User");
}

TEST(FetchDecryptionKey, PassesTheDecoderErrorThrough) {
    FixedKeyStore store(nullptr);
    try {
        fetchDecryptionKey("not*base64", store);
        ADD_FAILURE() << "no exception";
    } catch (const errorDef::error_message& error) {
        EXPECT_EQ(error.message, "Error in decoding. Format is invalid");
    }
    EXPECT_TRUE(store.askedDer.empty());
}

} // namespace
