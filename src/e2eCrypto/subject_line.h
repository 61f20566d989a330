#pragma once
// The one-line form of a certificate name as the signer description and the certificate queries
// read it: "/C=US/O=Acme Ltd/CN=Test Signer/Email=signer@example.com".
#include <openssl/x509.h>

#include <cstddef>
#include <string>

// Values are UTF-8 text whatever their string type, with control characters written "\xHH"; a value
// that is not well-formed in its type is written with every byte outside printable ASCII as "\xHH".
// The e-mail attribute is written "Email=" (not "emailAddress="), and the line holds only the
// attributes that fit whole into maxLength bytes.
std::string subjectOneLine(const X509_NAME* name, std::size_t maxLength = 255);
