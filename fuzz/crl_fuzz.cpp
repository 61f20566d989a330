// The CRL reader and the revocation query on arbitrary bytes: an answer or one of the checker's own
// records, never anything else. The first byte decides whether the issuer's certificate is at hand.
// The scope of any list that parses is judged too, since a list the issuer's key verifies is rare.
#include "certs/crl_checker.h"
#include "certs/crl_scope.h"
#include "e2eCrypto/error_records.h"
#include "fuzz_support.h"
#include "support/document_writer.h"

#include <cstdint>

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
        checker.isRevoked();
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
