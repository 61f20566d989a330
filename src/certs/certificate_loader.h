#pragma once
// The tolerant certificate loader behind the certificate queries.
#include "e2eCrypto/openssl_handles.h"

#include <string>

// source is a file path when sourceIsFile, else the certificate data. Tries DER, PEM, password-less
// PKCS#12, bare Base64 of DER, then the Netscape form, each from the first byte of the source, and
// throws the error records of the first step that cannot go on.
X509Ptr loadCertificate(const std::string& source, bool sourceIsFile);
