#include "certs/key_store.h"

#include "e2eCrypto/error_records.h"

// <windows.h> first: <wincrypt.h> and <ncrypt.h> need its types.
#include <windows.h>

#include <ncrypt.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

// The user's personal store "MY" of CryptoAPI: the certificate is looked up by its exact encoding and
// its private key decrypts the content key where it lives, through its CryptoAPI provider or, for a
// key of the newer key storage, through CNG. Keys that may not be exported work as well as others.

namespace {

constexpr DWORD encodings = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

struct ContextRelease {
    void operator()(const CERT_CONTEXT* context) const { CertFreeCertificateContext(context); }
};
using CertificateContext = std::unique_ptr<const CERT_CONTEXT, ContextRelease>;

struct StoreClose {
    void operator()(void* store) const { CertCloseStore(store, CERT_CLOSE_STORE_CHECK_FLAG); }
};
using SystemStore = std::unique_ptr<void, StoreClose>;

void releaseProvider(HCRYPTPROV provider) {
    CryptReleaseContext(provider, 0);
}

void destroyKey(HCRYPTKEY key) {
    CryptDestroyKey(key);
}

// A CryptoAPI handle, released by Release when it goes.
template <typename Handle, void (*Release)(Handle)> class CryptoHandle {
public:
    CryptoHandle() = default;
    CryptoHandle(const CryptoHandle&) = delete;
    CryptoHandle& operator=(const CryptoHandle&) = delete;
    ~CryptoHandle() {
        if (handle != 0) {
            Release(handle);
        }
    }
    Handle handle = 0;
};
using ProviderHandle = CryptoHandle<HCRYPTPROV, releaseProvider>;
using KeyHandle = CryptoHandle<HCRYPTKEY, destroyKey>;

[[noreturn]] void fail(const std::string& message) {
    throw errorDef::error_message(message);
}

std::string notFound(const std::string& name, const char* ending) {
    return "Decryption Certificate of \"" + name + "\" not found" + ending;
}

// Key specs other than exchange and signature (Wine reports 3 for an imported key) are tried as both,
// exchange first.
void getUserKey(HCRYPTPROV provider, DWORD keySpec, KeyHandle& key) {
    const std::vector<DWORD> specs = keySpec == AT_KEYEXCHANGE || keySpec == AT_SIGNATURE
                                         ? std::vector<DWORD>{keySpec}
                                         : std::vector<DWORD>{AT_KEYEXCHANGE, AT_SIGNATURE};
    DWORD error = 0;
    for (DWORD spec : specs) {
        if (CryptGetUserKey(provider, spec, &key.handle)) {
            return;
        }
        error = GetLastError();
    }
    if (error == static_cast<DWORD>(NTE_NO_KEY)) {
        fail("NO KEY PRESENT");
    }
    if (error == static_cast<DWORD>(NTE_BAD_KEY)) {
        fail("BAD KEY PARAMETER");
    }
    fail("get key faild");
}

constexpr const char* passwordFailed =
    "Signing Key is not accessable from the Certificate store. Either you have provided an incorrect "
    "password OR you have Cancelled the operation.";

// A key the provider asked about and the person refused, or one the provider will not use: the
// store's own texts. Anything else is a key that does not decrypt this recipient.
void failForRefusal(DWORD error) {
    switch (error) {
    case static_cast<DWORD>(ERROR_CANCELLED):
    case static_cast<DWORD>(SCARD_W_CANCELLED_BY_USER):
    case static_cast<DWORD>(SCARD_W_WRONG_CHV):
        fail(passwordFailed);
    case static_cast<DWORD>(NTE_PERM):
    case static_cast<DWORD>(NTE_NOT_SUPPORTED):
        fail("Error getting key. Private Key residing in your Internet Explorer is not exportable ");
    default:
        break;
    }
}

const wchar_t* cngDigest(std::string_view digest) {
    return digest == "SHA1"     ? BCRYPT_SHA1_ALGORITHM
           : digest == "SHA256" ? BCRYPT_SHA256_ALGORITHM
           : digest == "SHA384" ? BCRYPT_SHA384_ALGORITHM
           : digest == "SHA512" ? BCRYPT_SHA512_ALGORITHM
                                : nullptr;
}

// The private key of a stored certificate, held by its provider: a CryptoAPI key (provider and key
// handles) or a CNG key.
class StoredRecipientKey final : public RecipientKey {
public:
    StoredRecipientKey() = default;
    StoredRecipientKey(const StoredRecipientKey&) = delete;
    StoredRecipientKey& operator=(const StoredRecipientKey&) = delete;
    ~StoredRecipientKey() override {
        if (cngKey != 0) {
            NCryptFreeObject(cngKey);
        }
    }

    Kind kind() const override { return Kind::Rsa; }

    std::optional<SecretString> decryptKey(std::string_view encryptedKey,
                                           const KeyTransportPadding& padding) override {
        if (encryptedKey.empty() || encryptedKey.size() > 16384) {
            return std::nullopt;
        }
        return cngKey != 0 ? decryptWithCng(encryptedKey, padding)
                           : decryptWithCryptoApi(encryptedKey, padding);
    }

    // Key agreement is not offered by these keys.
    std::optional<SecretString> agreeKey(const KeyAgreement&) override { return std::nullopt; }

    ProviderHandle provider;
    KeyHandle key;
    NCRYPT_KEY_HANDLE cngKey = 0;

private:
    std::optional<SecretString> decryptWithCryptoApi(std::string_view encryptedKey,
                                                     const KeyTransportPadding& padding) {
        // CryptoAPI pads OAEP with SHA-1 and no label only.
        if (padding.oaep && (padding.digest != "SHA1" || !padding.label.empty())) {
            return std::nullopt;
        }
        // CryptoAPI takes the number least significant byte first.
        SecretString buffer{std::string(encryptedKey.rbegin(), encryptedKey.rend())};
        auto length = static_cast<DWORD>(buffer.size());
        if (!CryptDecrypt(key.handle, 0, TRUE, padding.oaep ? CRYPT_OAEP : 0,
                          reinterpret_cast<BYTE*>(buffer.mutableStr().data()), &length)) {
            failForRefusal(GetLastError());
            return std::nullopt;
        }
        buffer.mutableStr().resize(length);
        return buffer;
    }

    std::optional<SecretString> decryptWithCng(std::string_view encryptedKey,
                                               const KeyTransportPadding& padding) {
        BCRYPT_OAEP_PADDING_INFO oaep{cngDigest(padding.digest),
                                      reinterpret_cast<UCHAR*>(const_cast<char*>(padding.label.data())),
                                      static_cast<ULONG>(padding.label.size())};
        if (padding.oaep && oaep.pszAlgId == nullptr) {
            return std::nullopt;
        }
        auto* in = reinterpret_cast<BYTE*>(const_cast<char*>(encryptedKey.data()));
        const auto inLength = static_cast<DWORD>(encryptedKey.size());
        void* paddingInfo = padding.oaep ? &oaep : nullptr;
        const DWORD flags = padding.oaep ? NCRYPT_PAD_OAEP_FLAG : NCRYPT_PAD_PKCS1_FLAG;
        SecretString buffer{std::string(encryptedKey.size(), '\0')};
        DWORD length = 0;
        const SECURITY_STATUS status = NCryptDecrypt(cngKey, in, inLength, paddingInfo,
                                                     reinterpret_cast<BYTE*>(buffer.mutableStr().data()),
                                                     static_cast<DWORD>(buffer.size()), &length, flags);
        if (status != ERROR_SUCCESS) {
            failForRefusal(static_cast<DWORD>(status));
            return std::nullopt;
        }
        buffer.mutableStr().resize(length);
        return buffer;
    }
};

class CryptoApiKeyStore final : public KeyStore {
public:
    std::unique_ptr<RecipientKey> findRecipientKey(const std::string& certificateDer,
                                                   const std::string& name) override {
        const CertificateContext wanted(
            certificateDer.size() > MAXDWORD
                ? nullptr
                : CertCreateCertificateContext(encodings,
                                               reinterpret_cast<const BYTE*>(certificateDer.data()),
                                               static_cast<DWORD>(certificateDer.size())));
        if (!wanted) {
            fail(notFound(name, ""));
        }
        const SystemStore store(CertOpenSystemStoreA(0, "MY"));
        if (!store) {
            char text[64];
            std::snprintf(text, sizeof text, "Error %lx in getting CertList from IE Store", GetLastError());
            fail(text);
        }
        const CertificateContext found(
            CertFindCertificateInStore(store.get(), encodings, 0, CERT_FIND_EXISTING, wanted.get(), nullptr));
        if (!found) {
            fail(notFound(name, "!"));
        }
        auto recipientKey = std::make_unique<StoredRecipientKey>();
        HCRYPTPROV_OR_NCRYPT_KEY_HANDLE handle = 0;
        DWORD keySpec = 0;
        // Without the cache flag the handle is the caller's, released with the key.
        if (!CryptAcquireCertificatePrivateKey(
                found.get(), CRYPT_ACQUIRE_COMPARE_KEY_FLAG | CRYPT_ACQUIRE_ALLOW_NCRYPT_KEY_FLAG, nullptr,
                &handle, &keySpec, nullptr)) {
            fail("Private Key residing in your Internet Explorer is not exportable");
        }
        if (keySpec == CERT_NCRYPT_KEY_SPEC) {
            recipientKey->cngKey = handle;
        } else {
            recipientKey->provider.handle = handle;
            getUserKey(handle, keySpec, recipientKey->key);
        }
        return recipientKey;
    }
};

} // namespace

// The store has no directory and asks for no password itself: the key provider shows its own prompt.
std::unique_ptr<KeyStore> openUserKeyStore(const std::string&, StorePasswordPrompt) {
    return std::make_unique<CryptoApiKeyStore>();
}
