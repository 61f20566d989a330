#pragma once
// Certificate dates: their display form and their comparison with a moment.
#include <openssl/asn1.h>
#include <openssl/x509.h>

#include <ctime>
#include <string>
#include <string_view>

// "Mon dd hh:mm:ss yyyy" with " GMT" when the time ends in "Z", for a UTCTime (type 23) or a
// GeneralizedTime (type 24); "UNKNOWN FORMAT" for anything it cannot read.
std::string formatCertificateTime(int type, std::string_view bytes);
std::string formatCertificateTime(const ASN1_TIME* time);

// The time's characters as the certificate writes them, every byte outside printable ASCII as "\xHH",
// for a date no rule can read.
std::string certificateTimeAsWritten(const ASN1_TIME* time);

// "YYYY-MM-DDTHH:MM:SSZ" in UTC (offsets applied, fractions dropped); "" when the time cannot be read.
std::string isoUtcTime(const ASN1_TIME* time);

// -1 when the time is not later than now, 1 when it is later, 0 when it cannot be read. Accepts
// UTCTime without seconds and with a time-zone offset, as older certificates carry them.
int compareWithTime(const ASN1_TIME* time, std::time_t now);

// Where a moment lies against a certificate's validity period. Both flags can be set: an unreadable
// start date counts as not yet begun, and the dates may be reversed.
struct CertificateValidity {
    bool expired = false;     // the end lies at or before the moment; an unreadable end never does
    bool notYetValid = false; // the start lies after the moment or cannot be read
};
CertificateValidity validityAt(const X509& certificate, std::time_t now);

// The same for a signer, whose verdict must never favour it: an end that cannot be read counts as
// passed, and an expired certificate is not also reported as not yet valid.
CertificateValidity signerValidityAt(const X509& certificate, std::time_t now);
