#pragma once
// A throw-away NSS database in a directory the test owns, made with the NSS command-line tools, so
// that no test, end-to-end run or sample ever touches the person's own store. Not part of the product.
#include <openssl/x509.h>

#include <string>

class NssTestStore {
public:
    // Creates an empty database in directory (which must exist), protected by password unless it
    // is empty. Throws std::runtime_error when a tool fails.
    explicit NssTestStore(std::string directory, std::string password = "");

    const std::string& directory() const { return directory_; }
    const std::string& password() const { return password_; }

    // Imports the certificate and private key of a PKCS#12 file's bytes, onto the token of that name
    // (whose PIN is tokenPin) when one is given: there the key is sensitive and never leaves.
    void importPkcs12(const std::string& pkcs12, const std::string& pkcs12Password = "",
                      const std::string& token = "", const std::string& tokenPin = "");
    // Registers a new SoftHSM token in the database, its files in directory/tokens. The module reads
    // its configuration from SOFTHSM2_CONF, which is set for this process and its children.
    void addSoftToken(const std::string& label, const std::string& pin);
    // Adds a certificate without its key.
    void addCertificate(const X509* certificate, const std::string& nickname);
    // Sets a flag of every private key in the database to false (CKA_EXTRACTABLE: it must not leave
    // the store; CKA_DECRYPT: it may not decrypt).
    void clearKeyFlag(unsigned long attribute);

private:
    // Runs an NSS tool with its input, output and error streams on /dev/null, so it can never prompt.
    void run(std::initializer_list<std::string> arguments) const;
    std::string scratchFile(const std::string& name, const std::string& bytes) const;

    std::string directory_;
    std::string password_;
    std::string passwordFile_;
};
