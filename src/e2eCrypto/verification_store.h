#pragma once
// The certificate store signer chains are checked against.
#include "e2eCrypto/openssl_handles.h"

// Directory of CA certificates under their subject-hash names, relative to the current directory.
inline constexpr const char* caCertificateDirectory = "../../certs";

// How many certificates above the signer a chain may have problems at (and how many authorities may
// stand between the signer and a trusted root).
inline constexpr int chainDepthLimit = 5;

// Tolerates every chain problem up to chainDepthLimit certificates above the signer; deeper ones end
// the chain check as "chain too long".
int chainVerifyCallback(int ok, X509_STORE_CTX* context);

// The library's default certificate file and directory plus the certificates of the regular files
// under hashed names in caCertificateDirectory, with chainVerifyCallback installed. Null when the
// store cannot be allocated.
X509StorePtr makeVerificationStore();
