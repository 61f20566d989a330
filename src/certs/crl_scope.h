#pragma once
// Whether a CRL that does not list a certificate may say that it is not revoked.
#include <openssl/x509.h>

// Null when crl is a complete list for certificate. Otherwise why it is not: it holds only changes
// since another list (a delta CRL), its issuing distribution point narrows it to some certificates,
// some reasons or another partition, it is indirect, or it or one of its entries carries a critical
// extension this reader does not know.
const char* crlScopeLimit(X509_CRL& crl, X509& certificate);
