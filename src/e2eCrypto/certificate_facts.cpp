#include "e2eCrypto/certificate_facts.h"

#include "e2eCrypto/certificate_time.h"
#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/subject_line.h"

#include <openssl/bn.h>

#include <algorithm>
#include <cctype>

std::optional<std::string> isoTime(const ASN1_TIME* time) {
    std::tm when{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &when) != 1) {
        return std::nullopt;
    }
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &when);
    return std::string(text);
}

std::string serialHex(const ASN1_INTEGER* serial) {
    const BignumPtr number(serial != nullptr ? ASN1_INTEGER_to_BN(serial, nullptr) : nullptr);
    if (!number) {
        return {};
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
    // The library writes whole bytes; scripts compare serials written the short way.
    const bool negative = text[0] == '-';
    std::string digits = text.substr(negative ? 1 : 0);
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    return (negative ? "-" : "") + digits;
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
