#include "my_store_import.h"

// <windows.h> first: <wincrypt.h> needs its types.
#include <windows.h>

#include <wincrypt.h>

#include <memory>
#include <vector>

namespace {

struct StoreClose {
    void operator()(void* store) const { CertCloseStore(store, 0); }
};
using Store = std::unique_ptr<void, StoreClose>;

std::string failure(const char* what) {
    return std::string(what) + " failed: " + std::to_string(GetLastError());
}

} // namespace

std::string addCertificateToPersonalStore(const std::string& der) {
    const Store personal(CertOpenSystemStoreA(0, "MY"));
    if (!personal) {
        return failure("CertOpenSystemStoreA");
    }
    const bool added = CertAddEncodedCertificateToStore(
        personal.get(), X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
        static_cast<DWORD>(der.size()), CERT_STORE_ADD_NEW, nullptr);
    return added ? std::string() : failure("CertAddEncodedCertificateToStore");
}

std::string importIntoPersonalStore(const std::string& pkcs12, const std::string& password, bool exportable) {
    std::vector<BYTE> bytes(pkcs12.begin(), pkcs12.end());
    const std::wstring widePassword(password.begin(), password.end());
    CRYPT_DATA_BLOB pfx{static_cast<DWORD>(bytes.size()), bytes.data()};
    const Store imported(PFXImportCertStore(&pfx, widePassword.c_str(),
                                            CRYPT_USER_KEYSET | (exportable ? CRYPT_EXPORTABLE : 0)));
    if (!imported) {
        return failure("PFXImportCertStore");
    }
    const Store personal(CertOpenSystemStoreA(0, "MY"));
    if (!personal) {
        return failure("CertOpenSystemStoreA");
    }
    int added = 0;
    for (PCCERT_CONTEXT context = nullptr;
         (context = CertEnumCertificatesInStore(imported.get(), context)) != nullptr;) {
        added += CertAddCertificateContextToStore(personal.get(), context, CERT_STORE_ADD_REPLACE_EXISTING,
                                                  nullptr);
    }
    return added > 0 ? std::string() : "no certificate was added";
}
