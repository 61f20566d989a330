// decryptData in both modes with fixed keys. The first byte chooses the mode and, for the
// certificate-encrypted mode, whether the rest is DER to be armoured (which reaches the PKCS#7 reader
// at once) or the armour text itself. Only the documented records may leave, and a result is never
// empty nor longer than what it came from, and decrypting in place agrees with decrypting into a
// buffer of its own.
#include "e2eCrypto/base64.h"
#include "e2eCrypto/decryption.h"
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/evp_recipient_key.h"
#include "fixed_key.h"
#include "fuzz_support.h"

#include <cstdint>

namespace {

constexpr const char* fixedPassPhrase = "fuzz pass phrase";

std::string armoured(std::string_view der) {
    return std::string(envelope::pkcs7Begin) + "\r\n" + encodeBase64(der) + std::string(envelope::pkcs7End) +
           "\r\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t choice = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const bool privateKey = (choice & 1) != 0;
    const std::string input = privateKey && (choice & 2) != 0 ? armoured(rest) : std::string(rest);
    const SecretString passPhrase(fixedPassPhrase);
    EvpRecipientKey recipientKey(fuzzkey::fixedKey());
    std::string output = "before";
    std::string failure;
    try {
        if (privateKey) {
            decryptData(input, output, recipientKey, PrivateKeyMode, supportedKeyFormat);
        } else {
            decryptData(input, output, passPhrase, SecretString(), PassPhraseMode, supportedKeyFormat);
        }
        check(!output.empty() && output.size() <= input.size());
    } catch (const errorDef::error_message& error) {
        check(!error.message.empty() && output == "before");
        failure = error.message;
    } catch (const e2eError::error_message& error) {
        check(!error.message.empty() && output == "before");
        failure = error.message;
    }
    // Decrypting inside the buffer that holds the input, behind a few bytes of something else, gives
    // the same plaintext or the same refusal, and leaves nothing behind when it refuses.
    std::string buffer = "lead" + input;
    try {
        const std::string_view within = std::string_view(buffer).substr(4);
        if (privateKey) {
            decryptDataWithin(buffer, within, recipientKey, PrivateKeyMode, supportedKeyFormat);
        } else {
            decryptDataWithin(buffer, within, passPhrase, SecretString(), PassPhraseMode, supportedKeyFormat);
        }
        check(failure.empty() && buffer == output);
    } catch (const errorDef::error_message& error) {
        check(error.message == failure && buffer.empty());
    } catch (const e2eError::error_message& error) {
        check(error.message == failure && buffer.empty());
    }
    return 0;
}
