#pragma once
// What scripts are told about the certificate a certificate-encrypted layer is encrypted to.
#include <optional>
#include <string>

// The certificate a certificate-encrypted layer names as its recipient.
struct RecipientFacts {
    std::string subject; // one-line, as shown
    std::string serial;  // lower-case hex
    std::optional<std::string> notBefore;
    std::optional<std::string> notAfter;
    bool valid = false; // neither expired nor not yet valid at the moment asked about
};
