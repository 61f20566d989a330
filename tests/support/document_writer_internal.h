#pragma once
// Helpers shared by the document writer's source files.
#include "e2eCrypto/openssl_handles.h"
#include "support/document_writer.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace testdoc::detail {

// The writer makes test material; a failing library call is a broken test set-up, not a test result.
inline void require(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string("document writer: ") + what + " failed");
    }
}

inline BioPtr memoryBio() {
    BioPtr bio(BIO_new(BIO_s_mem()));
    require(bio != nullptr, "BIO_new");
    return bio;
}

inline std::string bioContents(BIO* bio) {
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    return length > 0 ? std::string(data, static_cast<std::size_t>(length)) : std::string();
}

// DER of an i2d-encodable object.
template <typename T, typename Encoder> std::string toDer(const T* object, Encoder encode) {
    unsigned char* out = nullptr;
    const int length = encode(object, &out);
    require(length > 0, "DER encoding");
    std::string der(reinterpret_cast<const char*>(out), static_cast<std::size_t>(length));
    OPENSSL_free(out);
    return der;
}

using Asn1IntegerPtr = std::unique_ptr<ASN1_INTEGER, OpenSslDeleter<ASN1_INTEGER_free>>;

Asn1IntegerPtr asn1Integer(const SerialNumber& serial);

} // namespace testdoc::detail
