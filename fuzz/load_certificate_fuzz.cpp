// The tolerant certificate loader on arbitrary data: a certificate or one of the loader's own
// records, never anything else, and the queries agree with the loader.
#include "certs/certificate_tools.h"
#include "e2eCrypto/error_records.h"
#include "fuzz_support.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CertificateTools tools;
    const std::string source(reinterpret_cast<const char*>(data), size);
    X509Ptr certificate;
    try {
        certificate = tools.loadCertificate(source, false);
    } catch (const errorDef::error_message& error) {
        check(!error.message.empty());
        return 0;
    }
    check(certificate != nullptr);
    const std::string name = tools.commonName(source, false);
    check(name.empty() || name.starts_with("CN"));
    bool notYetValid = false;
    tools.isExpired(source, notYetValid, false);
    return 0;
}
