// Test helper: imports a PKCS#12 file (certificate and exportable key) into the current user's "MY"
// store, as a person would before opening documents encrypted for that certificate.
//   import_pfx FILE PASSWORD [--not-exportable]
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: import_pfx FILE PASSWORD [--not-exportable]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string password(argv[2]);
    const std::wstring widePassword(password.begin(), password.end());
    const bool exportable = !(argc > 3 && std::strcmp(argv[3], "--not-exportable") == 0);
    CRYPT_DATA_BLOB pfx{static_cast<DWORD>(bytes.size()), bytes.data()};
    HCERTSTORE imported = PFXImportCertStore(&pfx, widePassword.c_str(), CRYPT_USER_KEYSET | (exportable ? CRYPT_EXPORTABLE : 0));
    if (imported == nullptr) {
        std::fprintf(stderr, "import_pfx: PFXImportCertStore failed: %lx\n", GetLastError());
        return 1;
    }
    HCERTSTORE personal = CertOpenSystemStoreA(0, "MY");
    if (personal == nullptr) {
        std::fprintf(stderr, "import_pfx: cannot open MY: %lx\n", GetLastError());
        CertCloseStore(imported, 0);
        return 1;
    }
    int added = 0;
    for (PCCERT_CONTEXT context = nullptr; (context = CertEnumCertificatesInStore(imported, context)) != nullptr;) {
        added += CertAddCertificateContextToStore(personal, context, CERT_STORE_ADD_REPLACE_EXISTING, nullptr) ? 1 : 0;
    }
    CertCloseStore(personal, 0);
    CertCloseStore(imported, 0);
    if (added == 0) {
        std::fprintf(stderr, "import_pfx: no certificate added\n");
        return 1;
    }
    return 0;
}
