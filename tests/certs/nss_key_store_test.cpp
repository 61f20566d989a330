#include "certs/key_store.h"
#include "certs/rsa_8192_key.h"
#include "e2eCrypto/base64.h"
#include "e2eCrypto/decryption.h"
#include "e2eCrypto/error_records.h"
#include "support/child_process.h"
#include "support/document_writer.h"
#include "support/nss_test_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <nss.h>

#include <openssl/core_names.h>
#include <openssl/param_build.h>
#include <openssl/pem.h>
#include <pkcs11t.h>

#include <fstream>
#include <map>
#include <sstream>
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

// A document made for certificate by the command-line tool, as a correspondent makes it.
std::string toolEnvelope(const TempDir& directory, const X509* certificate, std::string_view content,
                         const std::vector<std::string>& options) {
    const std::string certificateFile =
        directory.write("recipient.pem", testdoc::certificatePem(certificate));
    const std::string contentFile = directory.write("content.txt", std::string(content));
    std::vector<std::string> argv = {"/usr/bin/openssl",
                                     "cms",
                                     "-encrypt",
                                     "-binary",
                                     "-outform",
                                     "DER",
                                     "-in",
                                     contentFile,
                                     "-out",
                                     directory.file("envelope.der"),
                                     "-recip",
                                     certificateFile};
    // Key options apply to the recipient before them.
    argv.insert(argv.end(), options.begin(), options.end());
    if (runProgram(argv, directory.path()).exitStatus != 0) {
        ADD_FAILURE() << "openssl cms -encrypt failed";
        return {};
    }
    std::ifstream in(directory.file("envelope.der"), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return testdoc::armour(bytes.str());
}

class NssKeyStoreTest : public testing::Test {
protected:
    std::string certificateText() const {
        return encodeBase64(testdoc::certificateDer(user.certificate.get()));
    }

    std::unique_ptr<RecipientKey> fetch(NssTestStore& store, ScriptedPrompt& prompt) {
        keyStore_ = openUserKeyStore(store.directory(), prompt.prompt());
        return fetchDecryptionKey(certificateText(), *keyStore_);
    }

    std::string fetchFailure(NssTestStore& store, ScriptedPrompt& prompt) {
        return messageOf<errorDef::error_message>([&] { fetch(store, prompt); });
    }

    // The key found opens a document made for the user.
    void expectKeyOpensDocument(RecipientKey& key) {
        const std::string armour =
            testdoc::armour(testdoc::envelopedDataDer("for the user", {user.certificate.get()}));
        std::string output;
        decryptData(armour, output, key, PrivateKeyMode, supportedKeyFormat);
        EXPECT_EQ(output, "for the user");
    }

    TempDir directory;
    testdoc::Identity user = makeUser();
    std::unique_ptr<KeyStore> keyStore_;
};

TEST_F(NssKeyStoreTest, UsesTheKeyOfAStoredCertificateWhereItLives) {
    NssTestStore store(directory.path());
    store.importPkcs12(testdoc::pkcs12(user, "p12"), "p12");
    // A key that may not leave the store is used all the same: it never leaves.
    store.clearKeyFlag(CKA_EXTRACTABLE);
    ScriptedPrompt prompt;
    expectKeyOpensDocument(*fetch(store, prompt));
    EXPECT_TRUE(prompt.calls.empty());
}

TEST_F(NssKeyStoreTest, OpensOncePerJobAndAsksForThePasswordAtEveryFetch) {
    NssTestStore store(directory.path(), storePassword);
    store.importPkcs12(testdoc::pkcs12(user, "p12"), "p12");
    ScriptedPrompt prompt{storePassword, storePassword};
    // One store serves every certificate layer of a job; NSS is started once and shut down with it.
    auto keyStore = openUserKeyStore(store.directory(), prompt.prompt());
    for (int layer = 0; layer < 2; ++layer) {
        expectKeyOpensDocument(*fetchDecryptionKey(certificateText(), *keyStore));
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
    expectKeyOpensDocument(*fetch(store, prompt));
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
    EXPECT_EQ(messageOf<errorDef::error_message>([&] { keyStore->findRecipientKey("junk", "Store User"); }),
              "Decryption Certificate of \"Store User\" not found");
}

TEST_F(NssKeyStoreTest, ReportsAStoreThatCannotBeOpened) {
    ScriptedPrompt prompt;
    const auto keyStore = openUserKeyStore(directory.file("missing"), prompt.prompt());
    EXPECT_EQ(messageOf<errorDef::error_message>([&] { fetchDecryptionKey(certificateText(), *keyStore); }),
              "Error ffffe012 in getting CertList from IE Store: " + directory.file("missing") +
                  ": security library: bad database.");
}

TEST_F(NssKeyStoreTest, ReportsACertificateWithoutKey) {
    NssTestStore store(directory.path());
    store.addCertificate(user.certificate.get(), "no key");
    ScriptedPrompt prompt;
    EXPECT_EQ(fetchFailure(store, prompt),
              "Private Key residing in your Internet Explorer is not exportable");
}

TEST_F(NssKeyStoreTest, UsesAKeyOnATokenAskingForItsPin) {
    NssTestStore store(directory.path());
    store.addSoftToken("Quillbox Card", "4321");
    store.importPkcs12(testdoc::pkcs12(user, "p12"), "p12", "Quillbox Card", "4321");
    ScriptedPrompt prompt{"wrong", "4321"};
    expectKeyOpensDocument(*fetch(store, prompt));
    ASSERT_EQ(prompt.calls.size(), 2u);
    EXPECT_EQ(prompt.calls[0].token, "Quillbox Card");
    EXPECT_TRUE(prompt.calls[1].retry);
    ScriptedPrompt cancelled{std::nullopt};
    EXPECT_EQ(fetchFailure(store, cancelled), passwordFailed);
}

TEST_F(NssKeyStoreTest, ReportsAKeyTheStoreWillNotDecryptWith) {
    NssTestStore store(directory.path(), storePassword);
    store.importPkcs12(testdoc::pkcs12(user, "p12"), "p12");
    store.clearKeyFlag(CKA_DECRYPT);
    ScriptedPrompt prompt{storePassword};
    EXPECT_EQ(fetchFailure(store, prompt),
              "Error getting key. Private Key residing in your Internet Explorer is not exportable ");
}

TEST_F(NssKeyStoreTest, RefusesAKeyThatNeitherDecryptsNorAgrees) {
    // A DSA key only signs.
    const EvpPkeyCtxPtr parameterMaker(EVP_PKEY_CTX_new_from_name(nullptr, "DSA", nullptr));
    EVP_PKEY* parameters = nullptr;
    ASSERT_TRUE(parameterMaker && EVP_PKEY_paramgen_init(parameterMaker.get()) == 1 &&
                EVP_PKEY_CTX_set_dsa_paramgen_bits(parameterMaker.get(), 1024) == 1 &&
                EVP_PKEY_paramgen(parameterMaker.get(), &parameters) == 1);
    const EvpPkeyPtr held(parameters);
    const EvpPkeyCtxPtr keyMaker(EVP_PKEY_CTX_new(held.get(), nullptr));
    EVP_PKEY* key = nullptr;
    ASSERT_TRUE(keyMaker && EVP_PKEY_keygen_init(keyMaker.get()) == 1 &&
                EVP_PKEY_keygen(keyMaker.get(), &key) == 1);
    const EvpPkeyPtr dsaKey(key);
    X509_set_pubkey(user.certificate.get(), key);
    ASSERT_GT(X509_sign(user.certificate.get(), key, EVP_sha256()), 0);
    user.key = key;
    NssTestStore store(directory.path());
    store.importPkcs12(testdoc::pkcs12(user, "p12"), "p12");
    ScriptedPrompt prompt;
    EXPECT_EQ(fetchFailure(store, prompt), "This encryption algorithm is not supported in this version");
}

// A key of the shape people have, from a store, opening a document the command-line tool made for it.
struct KeyShape {
    const char* name;
    int primeBits;  // RSA: the bits of each prime; 0 for a P-256 key
    int otherPrime; // RSA: the second prime's bits when they differ
    std::vector<std::string> toolOptions;
    const char* pem = nullptr; // a key made beforehand, when making one costs too much
    bool onToken = false;      // the key on a PKCS#11 token (SoftHSM) rather than in the store itself
};

class KeyShapes : public testing::TestWithParam<KeyShape> {};

// Keys are made once per test program; a key whose primes differ in size is built from its primes.
EVP_PKEY* shapedKey(const KeyShape& shape) {
    static std::map<std::pair<int, int>, EvpPkeyPtr> keys;
    EvpPkeyPtr& key = keys[{shape.primeBits, shape.otherPrime}];
    if (key || shape.primeBits == 0) {
        return key ? key.get() : testdoc::makeIdentity({.keyIndex = 40, .ellipticCurve = true}).key;
    }
    const int otherBits = shape.otherPrime != 0 ? shape.otherPrime : shape.primeBits;
    if (shape.pem != nullptr) {
        const BioPtr source(BIO_new_mem_buf(shape.pem, -1));
        key.reset(PEM_read_bio_PrivateKey(source.get(), nullptr, nullptr, const_cast<char*>("")));
        return key.get();
    }
    if (otherBits == shape.primeBits) {
        key.reset(EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", static_cast<size_t>(2 * shape.primeBits)));
        return key.get();
    }
    BignumPtr p(BN_new()), q(BN_new()), e(BN_new()), n(BN_new()), d(BN_new()), p1(BN_new()), q1(BN_new()),
        phi(BN_new()), dp(BN_new()), dq(BN_new()), qInverse(BN_new());
    std::unique_ptr<BN_CTX, OpenSslDeleter<BN_CTX_free>> context(BN_CTX_new());
    BN_set_word(e.get(), RSA_F4);
    BN_generate_prime_ex(p.get(), shape.primeBits, 0, nullptr, nullptr, nullptr);
    BN_generate_prime_ex(q.get(), otherBits, 0, nullptr, nullptr, nullptr);
    BN_mul(n.get(), p.get(), q.get(), context.get());
    BN_sub(p1.get(), p.get(), BN_value_one());
    BN_sub(q1.get(), q.get(), BN_value_one());
    BN_mul(phi.get(), p1.get(), q1.get(), context.get());
    BN_mod_inverse(d.get(), e.get(), phi.get(), context.get());
    BN_mod(dp.get(), d.get(), p1.get(), context.get());
    BN_mod(dq.get(), d.get(), q1.get(), context.get());
    BN_mod_inverse(qInverse.get(), q.get(), p.get(), context.get());
    std::unique_ptr<OSSL_PARAM_BLD, OpenSslDeleter<OSSL_PARAM_BLD_free>> build(OSSL_PARAM_BLD_new());
    OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_RSA_N, n.get());
    OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_RSA_E, e.get());
    OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_RSA_D, d.get());
    OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_RSA_FACTOR1, p.get());
    OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_RSA_FACTOR2, q.get());
    OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_RSA_EXPONENT1, dp.get());
    OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_RSA_EXPONENT2, dq.get());
    OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_RSA_COEFFICIENT1, qInverse.get());
    OSSL_PARAM* parameters = OSSL_PARAM_BLD_to_param(build.get());
    const EvpPkeyCtxPtr fromData(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    EVP_PKEY* made = nullptr;
    EVP_PKEY_fromdata_init(fromData.get());
    EVP_PKEY_fromdata(fromData.get(), &made, EVP_PKEY_KEYPAIR, parameters);
    OSSL_PARAM_free(parameters);
    key.reset(made);
    return made;
}

TEST_P(KeyShapes, OpenADocumentTheCommandLineToolMade) {
    const KeyShape& shape = GetParam();
    TempDir directory;
    EVP_PKEY* key = shapedKey(shape);
    ASSERT_NE(key, nullptr);
    // The certificate is signed by its own key, whatever its shape.
    testdoc::Identity holder = makeUser("/C=US/O=Acme Ltd/CN=Key Shape", 11);
    X509_set_pubkey(holder.certificate.get(), key);
    ASSERT_GT(X509_sign(holder.certificate.get(), key, EVP_sha256()), 0);
    holder.key = key;
    NssTestStore store(directory.path());
    if (shape.onToken) {
        store.addSoftToken("Shape Card", "8765");
        store.importPkcs12(testdoc::pkcs12(holder, "p12"), "p12", "Shape Card", "8765");
    } else {
        store.importPkcs12(testdoc::pkcs12(holder, "p12"), "p12");
    }
    const std::string content = "opened by a key of shape " + std::string(shape.name);
    const std::string armour = toolEnvelope(directory, holder.certificate.get(), content, shape.toolOptions);

    ScriptedPrompt prompt{"8765"};
    const auto keyStore = openUserKeyStore(store.directory(), prompt.prompt());
    const std::unique_ptr<RecipientKey> recipientKey =
        fetchDecryptionKey(encodeBase64(testdoc::certificateDer(holder.certificate.get())), *keyStore);
    std::string output;
    decryptData(armour, output, *recipientKey, PrivateKeyMode, supportedKeyFormat,
                testdoc::certificateDer(holder.certificate.get()));
    EXPECT_EQ(output, content);
}

const std::vector<std::string> oaepSha1 = {"-keyopt", "rsa_padding_mode:oaep"};
const std::vector<std::string> oaepSha256 = {
    "-keyopt", "rsa_padding_mode:oaep", "-keyopt", "rsa_oaep_md:sha256", "-keyopt", "rsa_mgf1_md:sha256"};

INSTANTIATE_TEST_SUITE_P(
    Store, KeyShapes,
    testing::Values(KeyShape{"Rsa1024", 512, 0, {"-des3"}}, KeyShape{"Rsa2056", 1028, 0, {}},
                    KeyShape{"Rsa3000", 1500, 0, {"-aes128"}},
                    KeyShape{"Rsa4096OaepSha256", 2048, 0, oaepSha256},
                    KeyShape{"Rsa8192", 4096, 0, {}, testkeys::rsa8192Pem},
                    KeyShape{"Rsa2048UnevenPrimes", 900, 1148, {}},
                    KeyShape{"Rsa2048UnevenPrimesOaepSha1", 1100, 948, oaepSha1},
                    KeyShape{"Rsa3000OaepSha1", 1500, 0, oaepSha1}, KeyShape{"EllipticCurveP256", 0, 0, {}},
                    KeyShape{"EllipticCurveP256Des3", 0, 0, {"-des3"}},
                    KeyShape{"Rsa2048UnevenPrimesOaepSha1OnToken", 900, 1148, oaepSha1, nullptr, true},
                    KeyShape{"Rsa3000OnToken", 1500, 0, {}, nullptr, true}),
    [](const testing::TestParamInfo<KeyShape>& info) { return info.param.name; });

} // namespace
