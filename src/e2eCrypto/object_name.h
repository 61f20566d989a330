#pragma once
// How names and lists show an object identifier.
#include <openssl/asn1.h>

#include <string>

// The library's short name for the object, else its dotted number ("" when neither can be had).
std::string objectName(const ASN1_OBJECT* object);
