#include "e2eCrypto/signer_description.h"

#include "e2eCrypto/certificate_time.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/string_tokenizer.h"
#include "e2eCrypto/subject_line.h"

#include <ctime>
#include <string_view>

namespace {

constexpr std::string_view unknownFormat = "UNKNOWN FORMAT";

// The name, e-mail, organisation and unit lines of a one-line subject. The tests are loose on
// purpose and the first that matches decides: "ST=ONTARIO" counts as an organisation and
// "O=HOUSE" as a unit.
std::string signerLines(const std::string& subject) {
    std::string name;
    std::string email;
    std::string organisation;
    std::string unit;
    StringTokenizer tokenizer(subject);
    tokenizer.setDelimiters("/");
    while (tokenizer.position() != StringTokenizer::none) {
        std::string token = tokenizer.nextToken();
        if (token.starts_with("CN")) {
            name = std::move(token);
        } else if (token.starts_with("Email")) {
            email = std::move(token);
        } else if (token.find("OU") != std::string::npos) {
            if (unit.empty()) {
                unit = std::move(token);
            }
        } else if (token.find('O') != std::string::npos) {
            if (organisation.empty()) {
                organisation = std::move(token);
            }
        }
    }
    return name + "\n" + email + "\n" + organisation + "\n" + unit + "\n";
}

void judgeDates(const X509* certificate, std::time_t checkTime, VerificationState& state) {
    const CertificateValidity validity = signerValidityAt(*certificate, checkTime);
    state.certificateExpired = validity.expired;
    state.notYetValid = validity.notYetValid;
}

// False when the check cannot answer: the status then stays unknown. errorDef::Fatal is not an
// answer of that kind and passes.
bool checkRevocation(X509* signer, STACK_OF(X509) * certificates, const RevocationRequest& revocation,
                     VerificationState& state) {
    if (!revocation.check) {
        return false;
    }
    RevocationAnswer answer;
    try {
        answer = revocation.check(
            RevocationSubject{signer, certificates, revocation.caStore, revocation.checkTime},
            revocation.crlPath);
    } catch (const errorDef::error_message&) {
        return false;
    } catch (const errorDef::Warning&) {
        return false;
    }
    state.crl = std::move(answer.crl);
    state.certificateRevoked = answer.status == RevocationStatus::Revoked;
    state.revocationUnknown =
        answer.status != RevocationStatus::Revoked && answer.status != RevocationStatus::NotRevoked;
    return !state.revocationUnknown;
}

} // namespace

int describeSigner(X509* signer, STACK_OF(X509) * certificates, const RevocationRequest& revocation,
                   VerificationState& state, std::string& description) {
    if (signer == nullptr) {
        return -1;
    }
    std::string text = signerLines(subjectOneLine(X509_get_subject_name(signer)));
    const ASN1_TIME* notAfter = X509_get0_notAfter(signer);
    const std::string expiry = formatCertificateTime(notAfter);
    // A date no rule reads is shown as written; the date judgement counts it as passed.
    text +=
        "Certificate expires on: " + (expiry == unknownFormat ? certificateTimeAsWritten(notAfter) : expiry) +
        "\n";
    judgeDates(signer, revocation.checkTime, state);

    const bool answered = revocation.choice != RevocationChoice::Check ||
                          checkRevocation(signer, certificates, revocation, state);
    description = std::move(text);
    return answered ? 0 : -1;
}
