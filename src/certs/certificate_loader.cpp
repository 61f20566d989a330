#include "certs/certificate_loader.h"

#include "certs/netscape_certificate.h"
#include "certs/source_channel.h"
#include "e2eCrypto/base64.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/whole_file.h"

#include <openssl/pem.h>

#include <memory>
#include <new>
#include <optional>
#include <string_view>

namespace {

constexpr std::string_view pemBegin = "-----BEGIN CERTIFICATE-----";
constexpr std::string_view pemEnd = "-----END CERTIFICATE-----";
// How the Base64 of a DER certificate of 256 bytes up to 64 KiB begins.
constexpr std::string_view derBase64Start = "MII";
constexpr std::size_t netscapeReadStep = 10240;

// Certificates are never encrypted; refusing a pass phrase keeps the library from asking on the terminal.
int noPassPhrase(char*, int, int, void*) {
    return -1;
}

X509Ptr readPkcs12(BIO* channel) {
    const Pkcs12Ptr bundle(d2i_PKCS12_bio(channel, nullptr));
    if (!bundle) {
        return nullptr;
    }
    EVP_PKEY* key = nullptr;
    X509* certificate = nullptr;
    STACK_OF(X509)* others = nullptr;
    if (PKCS12_parse(bundle.get(), nullptr, &key, &certificate, &others) != 1) {
        return nullptr;
    }
    // The library hands out the certificate only when it matches a key; a lone one comes as "other".
    const EvpPkeyPtr keyHolder(key);
    X509Ptr result(certificate);
    const CertificateStackPtr othersHolder(others);
    if (!result && others != nullptr && sk_X509_num(others) > 0) {
        result.reset(sk_X509_shift(others));
    }
    return result;
}

bool hasPemMarkers(std::string_view text) {
    return text.find(pemBegin) != std::string_view::npos || text.find(pemEnd) != std::string_view::npos;
}

// A DER SEQUENCE header with its length in short form or in up to four long-form bytes: the first
// bytes of every certificate, whatever its size.
bool startsWithDerSequence(std::string_view der) {
    if (der.size() < 2 || static_cast<unsigned char>(der[0]) != 0x30) {
        return false;
    }
    const auto lengthByte = static_cast<unsigned char>(der[1]);
    const std::size_t lengthBytes = lengthByte & 0x7F;
    return lengthByte < 0x80 || (lengthBytes >= 1 && lengthBytes <= 4 && der.size() >= 2 + lengthBytes);
}

// The DER certificate that the Base64 text holds, or nothing when the text is no Base64 of one.
// Text holding "MII", the start of every certificate from 256 bytes to 64 KiB, is decoded as Base64
// whatever else it holds, and a decoding error passes through; other text is taken only when it
// decodes cleanly to a DER SEQUENCE, which admits certificates of 64 KiB and more.
std::optional<std::string> decodeBareBase64(std::string_view text) {
    if (hasPemMarkers(text)) {
        return std::nullopt;
    }
    if (text.find(derBase64Start) != std::string_view::npos) {
        return decodeBase64(text);
    }
    try {
        std::string der = decodeBase64(text);
        if (startsWithDerSequence(der)) {
            return der;
        }
    } catch (const errorDef::error_message&) {
        // Not Base64: the Netscape step may still read it.
    }
    return std::nullopt;
}

X509Ptr readBareBase64(const std::string& source, bool sourceIsFile) {
    std::string fileText;
    if (sourceIsFile && !ReadWholeFile(source, fileText)) {
        throw errorDef::error_message("failed loading file");
    }
    const std::optional<std::string> decoded =
        decodeBareBase64(sourceIsFile ? std::string_view(fileText) : std::string_view(source));
    if (!decoded) {
        return nullptr;
    }
    const std::string& der = *decoded;
    if (!fitsMemoryChannel(der)) {
        throw errorDef::error_message(sourceIsFile ? "CertExpired:Cannot write to bio"
                                                   : "Cannot read certificate to\ncheck agains CRL");
    }
    const BioPtr channel = newMemoryChannel(der);
    if (!channel) {
        throw errorDef::Fatal("System low in memory");
    }
    return X509Ptr(d2i_X509_bio(channel.get(), nullptr));
}

std::string readEverything(BIO* channel) {
    std::string bytes;
    try {
        for (;;) {
            const std::size_t held = bytes.size();
            bytes.resize(held + netscapeReadStep);
            const int got = BIO_read(channel, bytes.data() + held, static_cast<int>(netscapeReadStep));
            if (got < 0) {
                throw errorDef::error_message(
                    "Error reading Netscape type Certificate\nto check against CRL");
            }
            bytes.resize(held + static_cast<std::size_t>(got));
            if (got == 0) {
                return bytes;
            }
        }
    } catch (const std::bad_alloc&) {
        throw errorDef::Fatal("System low in memory");
    }
}

} // namespace

X509Ptr loadCertificate(const std::string& source, bool sourceIsFile) {
    const BioPtr channel = openSourceChannel(source, sourceIsFile);
    if (!channel) {
        throw errorDef::error_message(sourceIsFile ? "Couldn't read certificate to check\nagainst CRL"
                                                   : "Couldn't read certificate");
    }
    if (X509Ptr certificate{d2i_X509_bio(channel.get(), nullptr)}) {
        return certificate;
    }
    BIO_reset(channel.get());
    if (X509Ptr certificate{PEM_read_bio_X509_AUX(channel.get(), nullptr, noPassPhrase, nullptr)}) {
        return certificate;
    }
    BIO_reset(channel.get());
    if (X509Ptr certificate = readPkcs12(channel.get())) {
        return certificate;
    }
    if (X509Ptr certificate = readBareBase64(source, sourceIsFile)) {
        return certificate;
    }
    BIO_reset(channel.get());
    return decodeNetscapeCertificate(readEverything(channel.get()));
}
