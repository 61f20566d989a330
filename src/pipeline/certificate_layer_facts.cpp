#include "pipeline/certificate_layer_facts.h"

#include "certs/certificate_tools.h"
#include "e2eCrypto/certificate_facts.h"
#include "e2eCrypto/envelope_cipher.h"
#include "pipeline/certificate_layer.h"

CertificateLayerFacts describeCertificateLayer(const CertificateTools& tools, std::string_view layer,
                                               std::time_t now) {
    const CertificateLayer fields = splitCertificateLayer(layer);
    const X509Ptr certificate = tools.loadCertificate(fields.certificateText, false);
    return {recipientFacts(*certificate, now), envelopeCipherName(fields.innerText)};
}

CertificateLayerFacts describeCertificateLayer(const CertificateTools& tools, const DecodedArmour& armour,
                                               std::string_view der, std::time_t now) {
    const X509Ptr certificate = tools.loadCertificate(armour.certificateText, false);
    return {recipientFacts(*certificate, now), envelopeCipherNameOfDer(der, armour.decodedBeforeEnd)};
}
