#pragma once
// The Netscape certificate form: SEQUENCE { OCTET STRING header, Certificate }, whose header is
// "certificate" or a non-empty beginning of it.
#include "e2eCrypto/openssl_handles.h"

#include <string_view>

// Throws errorDef::error_message with the header message when the bytes are not a
// SEQUENCE opening with an acceptable header, and with the loading message when the certificate
// after the header does not decode or does not end the SEQUENCE.
X509Ptr decodeNetscapeCertificate(std::string_view bytes);
