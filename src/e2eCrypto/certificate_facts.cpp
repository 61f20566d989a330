#include "e2eCrypto/certificate_facts.h"

#include "e2eCrypto/certificate_time.h"
#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/subject_line.h"

#include <openssl/bn.h>

#include <cctype>

namespace {

// Scripts read an unreadable date as null rather than as an empty text.
std::optional<std::string> isoTime(const ASN1_TIME* time) {
    std::string text = isoUtcTime(time);
    return text.empty() ? std::nullopt : std::optional<std::string>(std::move(text));
}

} // namespace

std::string serialHex(const ASN1_INTEGER* serial) {
    const BignumPtr number(serial != nullptr ? ASN1_INTEGER_to_BN(serial, nullptr) : nullptr);
    if (!number) {
        return {};
    }
    // The library writes zero as one digit; every other number comes in whole bytes.
    if (BN_is_zero(number.get())) {
        return "00";
    }
    char* hex = BN_bn2hex(number.get());
    if (hex == nullptr) {
        return {};
    }
    std::string text(hex);
    OPENSSL_free(hex);
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

RecipientFacts recipientFacts(const X509& certificate, std::time_t now) {
    RecipientFacts facts;
    facts.subject = subjectOneLine(X509_get_subject_name(&certificate));
    facts.serial = serialHex(X509_get0_serialNumber(&certificate));
    facts.notBefore = isoTime(X509_get0_notBefore(&certificate));
    facts.notAfter = isoTime(X509_get0_notAfter(&certificate));
    const CertificateValidity validity = validityAt(certificate, now);
    facts.valid = !validity.expired && !validity.notYetValid;
    return facts;
}
