#include "certs/key_store.h"

#include "e2eCrypto/error_records.h"

// <windows.h> first: <wincrypt.h> needs its types.
#include <windows.h>

#include <wincrypt.h>

#include <cstdio>
#include <memory>
#include <new>
#include <vector>

// The user's personal store "MY" of CryptoAPI: the certificate is looked up by its exact encoding and
// its private key exported as the PRIVATEKEYBLOB the store hands out.

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

SecretString exportBlob(HCRYPTKEY key) {
    DWORD length = 0;
    if (!CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, nullptr, &length)) {
        fail("Error getting key. Private Key residing in your Internet Explorer is not exportable ");
    }
    SecretString blob;
    try {
        blob.mutableStr().assign(length, '\0');
    } catch (const std::bad_alloc&) {
        throw errorDef::Fatal("Low in memory");
    }
    if (!CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, reinterpret_cast<BYTE*>(blob.mutableStr().data()),
                        &length)) {
        fail(
            "Signing Key is not accessable from the Certificate store. Either you have provided an incorrect "
            "password OR you have Cancelled the operation.");
    }
    blob.mutableStr().resize(length);
    return blob;
}

class CryptoApiKeyStore final : public KeyStore {
public:
    SecretString exportPrivateKeyBlob(const std::string& certificateDer, const std::string& name) override {
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
        ProviderHandle provider;
        DWORD keySpec = 0;
        if (!CryptAcquireCertificatePrivateKey(found.get(), CRYPT_ACQUIRE_COMPARE_KEY_FLAG, nullptr,
                                               &provider.handle, &keySpec, nullptr)) {
            fail("Private Key residing in your Internet Explorer is not exportable");
        }
        KeyHandle key;
        getUserKey(provider.handle, keySpec, key);
        return exportBlob(key.handle);
    }
};

} // namespace

// The store has no directory and asks for no password itself: the key provider shows its own prompt.
std::unique_ptr<KeyStore> openUserKeyStore(const std::string&, StorePasswordPrompt) {
    return std::make_unique<CryptoApiKeyStore>();
}
