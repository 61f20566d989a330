#pragma once
// The two fields of a certificate-encrypted layer: the recipient certificate as Base64 text and the
// PKCS#7 armour of the envelopedData after it.
#include <string>
#include <string_view>

struct CertificateLayer {
    std::string certificateText;
    std::string_view innerText; // a view into the layer
};

// Throws errorDef::error_message "This is not an encrypted file" when the marker or the "@@" that
// ends the certificate is missing.
CertificateLayer splitCertificateLayer(std::string_view layer);
