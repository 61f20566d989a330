#pragma once
// The one-line form of a certificate name as the signer description and the certificate queries
// read it: "/C=US/O=Acme Ltd/CN=Test Signer/Email=signer@example.com"; and the name as data.
#include "e2eCrypto/signature_verdict.h"

#include <openssl/x509.h>

#include <cstddef>
#include <string>
#include <vector>

// Values are UTF-8 text whatever their string type, with control characters written "\xHH"; a value
// that is not well-formed in its type is written with every byte outside printable ASCII as "\xHH".
// The e-mail attribute is written "Email=" (not "emailAddress="). The line stops at maxLength bytes:
// the attribute the limit cuts is kept as far as it goes (never splitting a character or an escape).
std::string subjectOneLine(const X509_NAME* name, std::size_t maxLength = 255);

// Every attribute of the name, in order.
std::vector<NameAttribute> nameAttributes(const X509_NAME* name);

// The whole name in the one-line form with one reading: inside a value "\" is written "\\", "/" is
// written "\/" and a control character "\xHH", so no value can read as two attributes.
std::string wholeName(const std::vector<NameAttribute>& attributes);
