// Makes one large document of a kind, with what an openssl command needs to do the same work on it,
// so that quillbox-cli can be timed against openssl (bench/compare). The content is pseudo-random
// bytes of the given size.
//
//   make_document signed|passphrase|certificate|aes|base64 MEBIBYTES DIRECTORY
//
// DIRECTORY receives <kind>.qsig (base64.txt for base64) and, by kind:
//   passphrase   passphrase.bin (the raw ciphertext), passphrase.txt (the pass phrase and a line feed)
//   certificate  certificate.p7m (the PKCS#7 armour of the layer), recipient.key and recipient.crt
//                (PEM), and store/ (an NSS store holding the recipient's certificate and key)
//   aes          the same for a layer whose content cipher is AES-256-CBC: aes.p7m and the rest
//   base64       base64.txt: the content in the documents' Base64, with line feeds only (other
//                decoders refuse CR)
#include "e2eCrypto/base64.h"
#include "support/document_writer.h"
#include "support/nss_test_store.h"

#include <openssl/pem.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

constexpr const char* passPhrase = "bench pass phrase";

std::string randomContent(std::size_t size) {
    std::string content(size, '\0');
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (std::size_t i = 0; i < size; i += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        for (std::size_t j = 0; j < 8 && i + j < size; ++j) {
            content[i + j] = static_cast<char>(state >> (8 * j));
        }
    }
    return content;
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string keyPem(EVP_PKEY* key) {
    const BioPtr out(BIO_new(BIO_s_mem()));
    if (!out || PEM_write_bio_PrivateKey(out.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        throw std::runtime_error("cannot write the key");
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(out.get(), &data);
    return std::string(data, static_cast<std::size_t>(size));
}

void makeSigned(const std::string& content, const std::string& directory) {
    const testdoc::Identity signer = testdoc::makeIdentity({});
    writeFile(directory + "/signed.qsig", testdoc::signedLayer(content, signer));
}

void makePassPhrase(const std::string& content, const std::string& directory) {
    writeFile(directory + "/passphrase.qsig", testdoc::symmetricLayer(content, passPhrase));
    writeFile(directory + "/passphrase.bin", testdoc::passPhraseCiphertext(content, passPhrase));
    writeFile(directory + "/passphrase.txt", std::string(passPhrase) + "\n");
}

void makeCertificate(const std::string& content, const std::string& directory, const std::string& kind,
                     testdoc::ContentCipher cipher) {
    testdoc::CertificateOptions options;
    options.subject = "/O=Bench/CN=Bench Recipient/emailAddress=recipient@example.com";
    const testdoc::Identity recipient = testdoc::makeIdentity(options);
    const std::string layer = testdoc::asymmetricLayer(content, recipient.certificate.get(), {}, cipher);
    writeFile(directory + "/" + kind + ".qsig", layer);
    writeFile(directory + "/" + kind + ".p7m", layer.substr(layer.find("-----BEGIN PKCS7-----")));
    writeFile(directory + "/recipient.key", keyPem(recipient.key));
    writeFile(directory + "/recipient.crt", testdoc::certificatePem(recipient.certificate.get()));
    const std::string store = directory + "/store";
    ::mkdir(store.c_str(), 0700);
    NssTestStore(store).importPkcs12(testdoc::pkcs12(recipient));
}

void makeBase64(const std::string& content, const std::string& directory) {
    std::string text = encodeBase64(content);
    std::erase(text, '\r');
    writeFile(directory + "/base64.txt", text);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: make_document signed|passphrase|certificate|aes|base64 MEBIBYTES DIRECTORY\n";
        return 2;
    }
    const std::string kind = argv[1];
    const std::string directory = argv[3];
    const std::string content = randomContent(std::strtoull(argv[2], nullptr, 10) << 20);
    try {
        if (kind == "signed") {
            makeSigned(content, directory);
        } else if (kind == "passphrase") {
            makePassPhrase(content, directory);
        } else if (kind == "certificate") {
            makeCertificate(content, directory, kind, testdoc::ContentCipher::DesEde3Cbc);
        } else if (kind == "aes") {
            makeCertificate(content, directory, kind, testdoc::ContentCipher::Aes256Cbc);
        } else if (kind == "base64") {
            makeBase64(content, directory);
        } else {
            std::cerr << "unknown kind " << kind << '\n';
            return 2;
        }
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
