#pragma once
// Puts the certificate and key of a PKCS#12 file into the current user's "MY" store, as a person
// does before opening documents encrypted for that certificate. Test helper only.
#include <string>

// Empty on success, else what failed.
std::string importIntoPersonalStore(const std::string& pkcs12, const std::string& password, bool exportable);
// Puts a certificate (DER) there without any key; empty on success, else what failed.
std::string addCertificateToPersonalStore(const std::string& der);
