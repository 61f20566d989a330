#include "pipeline/certificate_layer.h"

#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/error_records.h"

CertificateLayer splitCertificateLayer(std::string_view layer) {
    // The certificate always starts right after the marker's length, wherever the marker was found.
    const std::size_t start = envelope::asymmetricMarker.size();
    const std::size_t end = layer.find(envelope::certificateEnd, start);
    if (layer.find(envelope::asymmetricMarker) == std::string_view::npos || end == std::string_view::npos) {
        throw errorDef::error_message("This is not an encrypted file");
    }
    return {std::string(layer.substr(start, end - start)),
            layer.substr(end + envelope::certificateEnd.size())};
}
