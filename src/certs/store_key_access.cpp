#include "certs/store_key_access.h"

#include "certs/private_key_blob.h"
#include "e2eCrypto/error_records.h"

#include <openssl/rand.h>
#include <openssl/x509.h>
#include <prerror.h>
#include <secasn1.h>
#include <secerr.h>

#include <array>
#include <climits>
#include <cstdio>

namespace {

using X509SigPtr = std::unique_ptr<X509_SIG, OpenSslDeleter<X509_SIG_free>>;
using Pkcs8Ptr = std::unique_ptr<PKCS8_PRIV_KEY_INFO, OpenSslDeleter<PKCS8_PRIV_KEY_INFO_free>>;

void destroyEncryptedKeyInfo(SECKEYEncryptedPrivateKeyInfo* info) {
    SECKEY_DestroyEncryptedPrivateKeyInfo(info, PR_TRUE);
}
void freeItem(SECItem* item) {
    SECITEM_FreeItem(item, PR_TRUE);
}
using EncryptedKeyInfoPtr =
    std::unique_ptr<SECKEYEncryptedPrivateKeyInfo, NssDeleter<destroyEncryptedKeyInfo>>;
using ItemPtr = std::unique_ptr<SECItem, NssDeleter<freeItem>>;

constexpr const char* passwordFailed =
    "Signing Key is not accessable from the Certificate store. Either you have "
    "provided an incorrect password OR you have Cancelled the operation.";

[[noreturn]] void fail(const std::string& message) {
    throw errorDef::error_message(message);
}

// A password that exists only for the hand-over from NSS to OpenSSL.
SecretString makeExportPassword() {
    std::array<unsigned char, 24> random{};
    if (RAND_bytes(random.data(), static_cast<int>(random.size())) != 1) {
        return {};
    }
    SecretString password(std::string(2 * random.size(), '\0'));
    for (std::size_t i = 0; i < random.size(); ++i) {
        std::snprintf(password.mutableStr().data() + 2 * i, 3, "%02x", random[i]);
    }
    OPENSSL_cleanse(random.data(), random.size());
    return password;
}

// NSS hands out sensitive keys only encrypted: the key leaves as PBES2 (AES-256, HMAC-SHA256) under
// a throw-away password and is opened again on the OpenSSL side.
EvpPkeyPtr exportKey(SECKEYPrivateKey& key, void* passwordState) {
    SecretString password = makeExportPassword();
    if (password.empty()) {
        return nullptr;
    }
    SECItem passwordItem{siBuffer, reinterpret_cast<unsigned char*>(password.mutableStr().data()),
                         static_cast<unsigned int>(password.size())};
    const EncryptedKeyInfoPtr encrypted(
        PK11_ExportEncryptedPrivKeyInfoV2(nullptr, SEC_OID_PKCS5_PBES2, SEC_OID_AES_256_CBC,
                                          SEC_OID_HMAC_SHA256, &passwordItem, &key, 1, passwordState));
    if (!encrypted) {
        return nullptr;
    }
    const ItemPtr der(SEC_ASN1EncodeItem(nullptr, nullptr, encrypted.get(),
                                         SEC_ASN1_GET(SECKEY_EncryptedPrivateKeyInfoTemplate)));
    if (!der || der->len > static_cast<unsigned int>(LONG_MAX)) {
        return nullptr;
    }
    const unsigned char* cursor = der->data;
    const X509SigPtr sealed(d2i_X509_SIG(nullptr, &cursor, static_cast<long>(der->len)));
    if (!sealed) {
        return nullptr;
    }
    const Pkcs8Ptr opened(PKCS8_decrypt(sealed.get(), password.c_str(), static_cast<int>(password.size())));
    return opened ? EvpPkeyPtr(EVP_PKCS82PKEY(opened.get())) : nullptr;
}

} // namespace

NssDatabase openNssDatabase(const std::string& storeDirectory) {
    const std::string configuration = "sql:" + storeDirectory;
    NssDatabase database(
        NSS_InitContext(configuration.c_str(), "", "", "", nullptr, NSS_INIT_READONLY | NSS_INIT_NOROOTINIT));
    if (!database) {
        char message[64];
        std::snprintf(message, sizeof message, "Error %x in getting CertList from IE Store",
                      static_cast<unsigned int>(PR_GetError()));
        fail(message);
    }
    return database;
}

StoreKeyAccess::StoreKeyAccess(const StorePasswordPrompt& prompt) : password_{&prompt} {
    PK11_SetPasswordFunc(askPassword);
}

StoreKeyAccess::~StoreKeyAccess() {
    if (slot_) {
        PK11_Logout(slot_.get());
    }
}

char* StoreKeyAccess::askPassword(PK11SlotInfo* slot, PRBool retry, void* state) {
    auto* password = static_cast<PasswordState*>(state);
    if (password == nullptr || password->prompt == nullptr || !*password->prompt || password->cancelled ||
        password->attempts >= passwordAttempts) {
        return nullptr;
    }
    ++password->attempts;
    try {
        const std::optional<SecretString> answer =
            (*password->prompt)(PK11_GetTokenName(slot), retry == PR_TRUE);
        if (!answer) {
            password->cancelled = true;
            return nullptr;
        }
        return PORT_Strdup(answer->c_str());
    } catch (...) {
        // Nothing may unwind through NSS; a prompt that fails counts as cancelled.
        password->cancelled = true;
        return nullptr;
    }
}

void StoreKeyAccess::findCertificate(const std::string& certificateDer, const std::string& name) {
    SECItem der{siBuffer, reinterpret_cast<unsigned char*>(const_cast<char*>(certificateDer.data())),
                static_cast<unsigned int>(certificateDer.size())};
    certificate_.reset(CERT_FindCertByDERCert(CERT_GetDefaultCertDB(), &der));
    // A temporary certificate made from the same bytes in this process is no proof that the store has it.
    if (!certificate_ || !certificate_->isperm) {
        fail("Decryption Certificate of \"" + name + "\" not found!");
    }
}

void StoreKeyAccess::findPrivateKey() {
    PORT_SetError(0);
    key_.reset(PK11_FindKeyByAnyCert(certificate_.get(), &password_));
    if (!key_) {
        if (PORT_GetError() == SEC_ERROR_BAD_PASSWORD || password_.cancelled) {
            fail(passwordFailed);
        }
        fail("Private Key residing in your Internet Explorer is not exportable");
    }
    slot_.reset(PK11_GetSlotFromPrivateKey(key_.get()));
}

SecretString StoreKeyAccess::exportPrivateKey(const std::string& certificateDer, const std::string& name) {
    findCertificate(certificateDer, name);
    findPrivateKey();
    if (SECKEY_GetPrivateKeyType(key_.get()) != rsaKey) {
        fail("BAD KEY PARAMETER");
    }
    // NSS exports a key whatever its CKA_EXTRACTABLE says, so the flag is honoured here.
    SECItem extractable{siBuffer, nullptr, 0};
    const bool mayLeave =
        PK11_ReadRawAttribute(PK11_TypePrivKey, key_.get(), CKA_EXTRACTABLE, &extractable) == SECSuccess &&
        extractable.len == 1 && extractable.data[0] == CK_TRUE;
    SECITEM_FreeItem(&extractable, PR_FALSE);
    if (!mayLeave) {
        fail("Error getting key. Private Key residing in your Internet Explorer is not exportable ");
    }
    const EvpPkeyPtr key = exportKey(*key_, &password_);
    if (!key) {
        fail(passwordFailed);
    }
    SecretString blob = privateKeyBlobFromKey(*key);
    if (blob.empty()) {
        fail("BAD KEY PARAMETER");
    }
    return blob;
}
