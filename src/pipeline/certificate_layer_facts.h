#pragma once
// What a certificate-encrypted layer says about itself before it is opened: the recipient
// certificate it names and the content cipher of its envelope.
#include "e2eCrypto/armour_reading.h"
#include "e2eCrypto/recipient_facts.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

class CertificateTools;

struct CertificateLayerFacts {
    RecipientFacts recipient;
    std::optional<std::string> cipher; // OpenSSL's short name; nothing when the envelope is unreadable
};

// layer: the whole layer, marker first. Throws what splitCertificateLayer and
// CertificateTools::loadCertificate throw for a layer without a readable certificate.
CertificateLayerFacts describeCertificateLayer(const CertificateTools& tools, std::string_view layer,
                                               std::time_t now);
// The same for a layer read as its armour's DER.
CertificateLayerFacts describeCertificateLayer(const CertificateTools& tools, const DecodedArmour& armour,
                                               std::string_view der, std::time_t now);
