// Decrypts a whole file in one of the two modes and writes the plaintext to a file, so the
// decryption can be timed from outside against other decrypters of the same file.
//   decrypt_file passphrase CIPHERTEXT PASSPHRASE OUT
//   decrypt_file envelope ARMOUR KEY.pem KEYPASSWORD OUT
#include "e2eCrypto/decryption.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/evp_recipient_key.h"
#include "e2eCrypto/whole_file.h"

#include <openssl/pem.h>

#include <cstdio>
#include <iostream>
#include <string_view>

namespace {

int usage() {
    std::cerr << "usage: decrypt_file passphrase CIPHERTEXT PASSPHRASE OUT\n"
                 "       decrypt_file envelope ARMOUR KEY.pem KEYPASSWORD OUT\n";
    return 2;
}

bool writeFile(const char* path, const std::string& bytes) {
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    const bool passPhrase = argc == 5 && std::string_view(argv[1]) == "passphrase";
    const bool envelope = argc == 6 && std::string_view(argv[1]) == "envelope";
    if (!passPhrase && !envelope) {
        return usage();
    }
    std::string input;
    std::string key;
    if (!ReadWholeFile(argv[2], input) || (envelope && !ReadWholeFile(argv[3], key))) {
        std::cerr << "cannot read the input\n";
        return 1;
    }
    try {
        std::string output;
        if (passPhrase) {
            decryptData(input, output, SecretString(argv[3]), SecretString(), PassPhraseMode,
                        supportedKeyFormat);
        } else {
            const BioPtr source(BIO_new_mem_buf(key.data(), static_cast<int>(key.size())));
            const EvpPkeyPtr privateKey(
                source ? PEM_read_bio_PrivateKey(source.get(), nullptr, nullptr, argv[4]) : nullptr);
            if (!privateKey) {
                std::cerr << "cannot read the key\n";
                return 1;
            }
            EvpRecipientKey recipientKey(*privateKey);
            decryptData(input, output, recipientKey, PrivateKeyMode, supportedKeyFormat);
        }
        return writeFile(argv[argc - 1], output) ? 0 : 1;
    } catch (const e2eError::error_message& error) {
        std::cerr << error.message << '\n';
    } catch (const errorDef::error_message& error) {
        std::cerr << error.message << '\n';
    }
    return 1;
}
