// The CRL reader and the revocation query on arbitrary bytes: an answer or one of the checker's own
// records, never anything else. The first byte decides whether the issuer's certificate is at hand.
// The scope of any list that parses is judged too, since a list the issuer's key verifies is rare.
#include "certs/crl_checker.h"
#include "certs/crl_scope.h"
#include "e2eCrypto/error_records.h"
#include "fuzz_support.h"
#include "support/document_writer.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace {

// The seeds are CRLs of this authority (same names; the key differs from run to run).
const testdoc::Identity& authority() {
    static const testdoc::Identity identity = testdoc::makeIdentity(
        {.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyBits = 1024, .isCa = true});
    return identity;
}

const testdoc::Identity& holder() {
    static const testdoc::Identity identity = testdoc::makeIdentity(
        {.subject = "/O=Acme Ltd/CN=Holder", .serial = 9, .keyBits = 1024}, &authority());
    return identity;
}

// A second after the list's own thisUpdate, so that a seed's list stays current however old the
// seed grows; the epoch when it cannot be read.
std::time_t momentAfter(const CrlFacts& facts) {
    std::string compact;
    for (const char c : facts.thisUpdate) {
        if (c != '-' && c != ':' && c != 'T') {
            compact += c;
        }
    }
    const Asn1TimePtr epoch(ASN1_TIME_set(nullptr, 0));
    const Asn1TimePtr update(ASN1_TIME_new());
    int days = 0;
    int seconds = 0;
    if (!epoch || !update || ASN1_TIME_set_string_X509(update.get(), compact.c_str()) != 1 ||
        ASN1_TIME_diff(&days, &seconds, epoch.get(), update.get()) != 1) {
        return 0;
    }
    return static_cast<std::time_t>(days) * 86400 + seconds + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string source(reinterpret_cast<const char*>(data + 1), size - 1);
    CRLChecker checker;
    checker.setCertificate(holder().certificate.get());
    if ((data[0] & 1) != 0) {
        checker.addIssuerCertificate(authority().certificate.get());
    }
    try {
        check(checker.setCRL(source, false));
        const CrlFacts facts = checker.facts();
        check(facts.thisUpdate.empty() || facts.thisUpdate.back() == 'Z');
        checker.isRevoked(momentAfter(facts));
    } catch (const errorDef::error_message& error) {
        check(!error.message.empty());
    }
    const auto* cursor = reinterpret_cast<const unsigned char*>(source.data());
    const X509CrlPtr crl(d2i_X509_CRL(nullptr, &cursor, static_cast<long>(source.size())));
    if (crl) {
        const char* limit = crlScopeLimit(*crl, *holder().certificate);
        check(limit == nullptr || *limit != '\0');
    }
    return 0;
}
