#pragma once
// Certificate fields in the forms scripts read: ISO 8601 times, hexadecimal serials, and the facts
// that describe the recipient of a certificate-encrypted layer.
#include "e2eCrypto/recipient_facts.h"

#include <openssl/asn1.h>
#include <openssl/x509.h>

#include <ctime>
#include <optional>
#include <string>

// "YYYY-MM-DDTHH:MM:SSZ" in UTC; nothing when the time cannot be read.
std::optional<std::string> isoTime(const ASN1_TIME* time);

// The serial number in lower-case hex without leading zeros ("0" for zero, "-" before a negative one).
std::string serialHex(const ASN1_INTEGER* serial);

// The facts of the recipient certificate, its dates judged at now.
RecipientFacts recipientFacts(const X509& certificate, std::time_t now);
