#pragma once
// Certificate fields in the forms scripts read: hexadecimal serials, and the facts that describe the
// recipient of a certificate-encrypted layer.
#include "e2eCrypto/recipient_facts.h"

#include <openssl/asn1.h>
#include <openssl/x509.h>

#include <ctime>
#include <optional>
#include <string>

// The serial number in lower-case hex, whole bytes ("05", "00" for zero; "-" before a
// negative one).
std::string serialHex(const ASN1_INTEGER* serial);

// The facts of the recipient certificate, its dates judged at now.
RecipientFacts recipientFacts(const X509& certificate, std::time_t now);
