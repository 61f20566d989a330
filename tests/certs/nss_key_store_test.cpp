#include "certs/key_store.h"
#include "certs/private_key_blob.h"
#include "e2eCrypto/base64.h"
#include "e2eCrypto/decryption.h"
#include "e2eCrypto/error_records.h"
#include "support/document_writer.h"
#include "support/nss_test_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <nss.h>

#include <openssl/pem.h>

#include <vector>

namespace {

constexpr const char* passwordFailed =
    "Signing Key is not accessable from the Certificate store. Either you have "
    "provided an incorrect password OR you have Cancelled the operation.";
constexpr const char* storePassword = "store password";

struct PromptCall {
    std::string token;
    bool retry;
};

// Answers the store's password prompt from a script; an empty entry stands for Cancel.
struct ScriptedPrompt {
    ScriptedPrompt() = default;
    ScriptedPrompt(std::initializer_list<std::optional<std::string>> script) : answers(script) {}

    std::vector<std::optional<std::string>> answers;
    std::vector<PromptCall> calls;

    StorePasswordPrompt prompt() {
        return [this](const std::string& token, bool retry) -> std::optional<SecretString> {
            calls.push_back({token, retry});
            if (calls.size() > answers.size() || !answers[calls.size() - 1]) {
                return std::nullopt;
            }
            return SecretString(*answers[calls.size() - 1]);
        };
    }
};

testdoc::Identity makeUser(const std::string& subject = "/C=US/O=Acme Ltd/CN=Store User", long serial = 5) {
    testdoc::CertificateOptions options;
    options.subject = subject;
    options.keyIndex = 4;
    options.keyBits = 1024;
    options.serial = serial;
    return testdoc::makeIdentity(options);
}

template <typename Record> std::string messageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Record& record) {
        return record.message;
    }
    return "(no exception)";
}

class NssKeyStoreTest : public testing::Test {
protected:
    std::string certificateText() const {
        return encodeBase64(testdoc::certificateDer(user.certificate.get()));
    }

    SecretString fetch(NssTestStore& store, ScriptedPrompt& prompt) {
        const auto keyStore = openUserKeyStore(store.directory(), prompt.prompt());
        return fetchDecryptionKey(certificateText(), SecretString("transient"), *keyStore);
    }

    std::string fetchFailure(NssTestStore& store, ScriptedPrompt& prompt) {
        return messageOf<errorDef::error_message>([&] { fetch(store, prompt); });
    }

    // The fetched key opens a document made for the user.
    void expectKeyOpensDocument(const SecretString& pem) {
        const std::string armour =
            testdoc::armour(testdoc::envelopedDataDer("for the user", {user.certificate.get()}));
        std::string output;
        decryptData(armour, output, pem, SecretString("transient"), PrivateKeyMode, supportedKeyFormat);
        EXPECT_EQ(output, "for the user");
    }

    TempDir directory;
    testdoc::Identity user = makeUser();
};

TEST_F(NssKeyStoreTest, ExportsTheKeyOfAStoredCertificate) {
    NssTestStore store(directory.path());
    store.importPkcs12(testdoc::pkcs12(user, "p12"), "p12");
    ScriptedPrompt prompt;
    expectKeyOpensDocument(fetch(store, prompt));
    EXPECT_TRUE(prompt.calls.empty());
}

TEST_F(NssKeyStoreTest, ExportsExactlyTheStoredKeyAsABlob) {
    NssTestStore store(directory.path());
    store.importPkcs12(testdoc::pkcs12(user, "p12"), "p12");
    const std::string der = testdoc::certificateDer(user.certificate.get());
    const SecretString blob =
        openUserKeyStore(store.directory(), {})->exportPrivateKeyBlob(der, "Store User");
    EXPECT_EQ(blob, privateKeyBlobFromKey(*user.key));
}

TEST_F(NssKeyStoreTest, OpensOncePerJobAndAsksForThePasswordAtEveryFetch) {
    NssTestStore store(directory.path(), storePassword);
    store.importPkcs12(testdoc::pkcs12(user, "p12"), "p12");
    ScriptedPrompt prompt{storePassword, storePassword};
    // One store serves every certificate layer of a job; NSS is started once and shut down with it.
    auto keyStore = openUserKeyStore(store.directory(), prompt.prompt());
    for (int layer = 0; layer < 2; ++layer) {
        expectKeyOpensDocument(fetchDecryptionKey(certificateText(), SecretString("transient"), *keyStore));
        EXPECT_TRUE(NSS_IsInitialized());
    }
    keyStore.reset();
    EXPECT_FALSE(NSS_IsInitialized());
    ASSERT_EQ(prompt.calls.size(), 2u);
    EXPECT_EQ(prompt.calls[0].token, "NSS Certificate DB");
    EXPECT_FALSE(prompt.calls[0].retry);
    EXPECT_FALSE(prompt.calls[1].retry);
}

TEST_F(NssKeyStoreTest, AcceptsTheRightPasswordAfterAWrongOne) {
    NssTestStore store(directory.path(), storePassword);
    store.importPkcs12(testdoc::pkcs12(user, "p12"), "p12");
    ScriptedPrompt prompt{"wrong", storePassword};
    expectKeyOpensDocument(fetch(store, prompt));
    ASSERT_EQ(prompt.calls.size(), 2u);
    EXPECT_TRUE(prompt.calls[1].retry);
}

TEST_F(NssKeyStoreTest, GivesUpAfterThreeWrongPasswordsOrACancel) {
    NssTestStore store(directory.path(), storePassword);
    store.importPkcs12(testdoc::pkcs12(user, "p12"), "p12");
    ScriptedPrompt wrong{"wrong", "also wrong", "still wrong", storePassword};
    EXPECT_EQ(fetchFailure(store, wrong), passwordFailed);
    EXPECT_EQ(wrong.calls.size(), 3u);
    ScriptedPrompt cancelled{std::nullopt, storePassword};
    EXPECT_EQ(fetchFailure(store, cancelled), passwordFailed);
    EXPECT_EQ(cancelled.calls.size(), 1u);
    ScriptedPrompt wrongThenCancelled{"wrong", std::nullopt};
    EXPECT_EQ(fetchFailure(store, wrongThenCancelled), passwordFailed);
}

TEST_F(NssKeyStoreTest, NamesTheCertificateThatIsNotInTheStore) {
    NssTestStore store(directory.path());
    store.importPkcs12(testdoc::pkcs12(makeUser("/C=US/O=Acme Ltd/CN=Someone Else", 6), "p12"), "p12");
    ScriptedPrompt prompt;
    EXPECT_EQ(fetchFailure(store, prompt), "Decryption Certificate of \"Store User\" not found!");
    user = makeUser("/C=US/O=Acme Ltd/OU=No Common Name", 7);
    EXPECT_EQ(fetchFailure(store, prompt), "Decryption Certificate of \"\" not found!");
}

TEST_F(NssKeyStoreTest, TellsBytesThatAreNoCertificateApart) {
    const auto keyStore = openUserKeyStore(directory.path(), {});
    EXPECT_EQ(
        messageOf<errorDef::error_message>([&] { keyStore->exportPrivateKeyBlob("junk", "Store User"); }),
        "Decryption Certificate of \"Store User\" not found");
}

TEST_F(NssKeyStoreTest, ReportsAStoreThatCannotBeOpened) {
    ScriptedPrompt prompt;
    const auto keyStore = openUserKeyStore(directory.file("missing"), prompt.prompt());
    EXPECT_EQ(messageOf<errorDef::error_message>(
                  [&] { fetchDecryptionKey(certificateText(), SecretString("transient"), *keyStore); }),
              "Error ffffe012 in getting CertList from IE Store");
}

TEST_F(NssKeyStoreTest, ReportsACertificateWithoutKey) {
    NssTestStore store(directory.path());
    store.addCertificate(user.certificate.get(), "no key");
    ScriptedPrompt prompt;
    EXPECT_EQ(fetchFailure(store, prompt),
              "Private Key residing in your Internet Explorer is not exportable");
}

TEST_F(NssKeyStoreTest, KeepsAKeyThatMustNotLeaveTheStore) {
    NssTestStore store(directory.path(), storePassword);
    store.importPkcs12(testdoc::pkcs12(user, "p12"), "p12");
    store.forbidKeyExport();
    ScriptedPrompt prompt{storePassword};
    EXPECT_EQ(fetchFailure(store, prompt),
              "Error getting key. Private Key residing in your Internet Explorer is not exportable ");
}

TEST_F(NssKeyStoreTest, RefusesAKeyThatIsNoRsaKey) {
    EvpPkeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
    X509Ptr certificate(X509_new());
    ASSERT_TRUE(key && certificate);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Curve User"),
                               -1, -1, 0);
    X509_set_issuer_name(certificate.get(), name);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 9);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 3600);
    X509_set_pubkey(certificate.get(), key.get());
    ASSERT_GT(X509_sign(certificate.get(), key.get(), EVP_sha256()), 0);
    const Pkcs12Ptr container(
        PKCS12_create("p12", "curve", key.get(), certificate.get(), nullptr, 0, 0, 0, 0, 0));
    unsigned char* der = nullptr;
    const int length = i2d_PKCS12(container.get(), &der);
    const std::string pkcs12(reinterpret_cast<char*>(der), static_cast<std::size_t>(length));
    OPENSSL_free(der);

    NssTestStore store(directory.path());
    store.importPkcs12(pkcs12, "p12");
    const std::string text = encodeBase64(testdoc::certificateDer(certificate.get()));
    const auto keyStore = openUserKeyStore(store.directory(), {});
    EXPECT_EQ(messageOf<errorDef::error_message>(
                  [&] { fetchDecryptionKey(text, SecretString("transient"), *keyStore); }),
              "BAD KEY PARAMETER");
}

} // namespace
