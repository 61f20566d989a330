#pragma once
// The facts of one signer that scripts and the Details view show.
#include "e2eCrypto/signature_verdict.h"

#include <openssl/cms.h>

// From the signer information and the certificate found for it (null when none was): names, serial
// number, fingerprint, dates, signing time and algorithms. The judgements (signatureValid onwards)
// are the caller's to fill.
SignerFacts signerFacts(const CMS_SignerInfo* signer, const X509* certificate);
