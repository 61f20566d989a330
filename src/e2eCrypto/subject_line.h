#pragma once
// The one-line form of a certificate name as the signer description and the certificate queries
// read it: "/C=US/O=Acme Ltd/CN=Test Signer/Email=signer@example.com".
#include <openssl/x509.h>

#include <cstddef>
#include <string>

// The e-mail attribute is written "Email=" (not "emailAddress="), and the line holds only the
// attributes that fit whole into maxLength characters.
std::string subjectOneLine(const X509_NAME* name, std::size_t maxLength = 255);
