#include "certs/private_key_blob.h"

#include "e2eCrypto/block_decryption.h"

#include <openssl/core_names.h>
#include <openssl/param_build.h>
#include <openssl/pem.h>

#include <array>
#include <climits>
#include <cstdint>
#include <string>

namespace {

using ParamBuilderPtr = std::unique_ptr<OSSL_PARAM_BLD, OpenSslDeleter<OSSL_PARAM_BLD_free>>;
// Secure numbers go to the parameters' secure block, which is wiped when the parameters are freed.
using ParamsPtr = std::unique_ptr<OSSL_PARAM, OpenSslDeleter<OSSL_PARAM_free>>;

constexpr std::size_t headerSize = 20; // BLOBHEADER and RSAPUBKEY
constexpr std::uint32_t largestBitLength = 16384;
constexpr std::array<unsigned char, 8> blobHeader = {0x07, 0x02, 0x00, 0x00, 0x00, 0xA4, 0x00, 0x00};
constexpr std::uint32_t rsaMagic = 0x32415352; // "RSA2"

// The components in blob order, each with its parameter name and whether it is a whole-modulus field.
struct Component {
    const char* parameter;
    bool fullLength;
};
constexpr std::array<Component, 7> blobComponents = {{
    {OSSL_PKEY_PARAM_RSA_N, true},
    {OSSL_PKEY_PARAM_RSA_FACTOR1, false},
    {OSSL_PKEY_PARAM_RSA_FACTOR2, false},
    {OSSL_PKEY_PARAM_RSA_EXPONENT1, false},
    {OSSL_PKEY_PARAM_RSA_EXPONENT2, false},
    {OSSL_PKEY_PARAM_RSA_COEFFICIENT1, false},
    {OSSL_PKEY_PARAM_RSA_D, true},
}};

std::uint32_t readWord(std::string_view bytes, std::size_t offset) {
    std::uint32_t word = 0;
    for (std::size_t i = 4; i-- > 0;) {
        word = (word << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return word;
}

void appendWord(std::string& bytes, std::uint32_t word) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<char>((word >> (8 * i)) & 0xFF));
    }
}

EvpPkeyPtr keyFromBlob(std::string_view blob) {
    if (blob.size() < headerSize) {
        return nullptr;
    }
    const std::uint32_t bitLength = readWord(blob, 12);
    if (bitLength == 0 || bitLength > largestBitLength) {
        return nullptr;
    }
    const std::size_t fullLength = bitLength >> 3;
    const std::size_t halfLength = bitLength >> 4;
    if (blob.size() < headerSize + 2 * fullLength + 5 * halfLength) {
        return nullptr;
    }
    const ParamBuilderPtr builder(OSSL_PARAM_BLD_new());
    const BignumPtr exponent(BN_new());
    if (!builder || !exponent || BN_set_word(exponent.get(), readWord(blob, 16)) != 1 ||
        OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_E, exponent.get()) != 1) {
        return nullptr;
    }
    // The builder refers to the numbers until the parameters are made, so they live until then.
    std::array<BignumPtr, blobComponents.size()> numbers;
    std::size_t offset = headerSize;
    for (std::size_t i = 0; i < blobComponents.size(); ++i) {
        const std::size_t length = blobComponents[i].fullLength ? fullLength : halfLength;
        numbers[i] = littleEndianToBignum(blob.substr(offset, length));
        offset += length;
        if (!numbers[i] ||
            OSSL_PARAM_BLD_push_BN(builder.get(), blobComponents[i].parameter, numbers[i].get()) != 1) {
            return nullptr;
        }
    }
    const ParamsPtr params(OSSL_PARAM_BLD_to_param(builder.get()));
    const EvpPkeyCtxPtr context(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    EVP_PKEY* key = nullptr;
    if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
        EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_KEYPAIR, params.get()) != 1) {
        return nullptr;
    }
    return EvpPkeyPtr(key);
}

// A stand-in for the terminal prompt the PEM writer would otherwise fall back on.
int refusePrompt(char*, int, int, void*) {
    return -1;
}

} // namespace

BignumPtr littleEndianToBignum(std::string_view field) {
    if (field.size() > static_cast<std::size_t>(INT_MAX)) {
        return nullptr;
    }
    BignumPtr number(BN_secure_new());
    if (!number || BN_lebin2bn(reinterpret_cast<const unsigned char*>(field.data()),
                               static_cast<int>(field.size()), number.get()) == nullptr) {
        return nullptr;
    }
    return number;
}

SecretString privateKeyBlobFromKey(const EVP_PKEY& key) {
    if (EVP_PKEY_get_base_id(&key) != EVP_PKEY_RSA) {
        return {};
    }
    BIGNUM* rawExponent = nullptr;
    if (EVP_PKEY_get_bn_param(&key, OSSL_PKEY_PARAM_RSA_E, &rawExponent) != 1) {
        return {};
    }
    const BignumPtr exponent(rawExponent);
    const int modulusBytes = EVP_PKEY_get_size(&key);
    if (BN_num_bits(exponent.get()) > 32 || modulusBytes <= 0 ||
        static_cast<std::uint32_t>(modulusBytes) > largestBitLength / 8) {
        return {};
    }
    const auto bitLength = static_cast<std::uint32_t>(modulusBytes) * 8;
    SecretString blob;
    std::string& bytes = blob.mutableStr();
    const std::size_t fullLength = bitLength >> 3;
    const std::size_t halfLength = bitLength >> 4;
    // Reserved up front so that no reallocation leaves key bytes behind in freed memory.
    bytes.reserve(headerSize + 2 * fullLength + 5 * halfLength);
    bytes.append(reinterpret_cast<const char*>(blobHeader.data()), blobHeader.size());
    appendWord(bytes, rsaMagic);
    appendWord(bytes, bitLength);
    appendWord(bytes, static_cast<std::uint32_t>(BN_get_word(exponent.get())));
    for (const Component& component : blobComponents) {
        BIGNUM* raw = nullptr;
        if (EVP_PKEY_get_bn_param(&key, component.parameter, &raw) != 1) {
            return {};
        }
        const BignumPtr number(raw);
        const std::size_t length = component.fullLength ? fullLength : halfLength;
        const std::size_t offset = bytes.size();
        bytes.resize(offset + length);
        if (BN_bn2lebinpad(number.get(), reinterpret_cast<unsigned char*>(bytes.data() + offset),
                           static_cast<int>(length)) < 0) {
            return {};
        }
    }
    return blob;
}

SecretString privateKeyBlobToPem(std::string_view blob, const SecretString& passPhrase) {
    if (passPhrase.empty() || passPhrase.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const EvpPkeyPtr key = keyFromBlob(blob);
    const EVP_CIPHER* cipher = fetchedCipher("DES-EDE3-CBC");
    const BioPtr sink(BIO_new(BIO_s_secmem()));
    if (!key || cipher == nullptr || !sink ||
        PEM_write_bio_PrivateKey_traditional(
            sink.get(), key.get(), cipher, reinterpret_cast<const unsigned char*>(passPhrase.data()),
            static_cast<int>(passPhrase.size()), refusePrompt, nullptr) != 1) {
        return {};
    }
    BUF_MEM* written = nullptr;
    BIO_get_mem_ptr(sink.get(), &written);
    SecretString pem;
    if (written != nullptr) {
        pem.mutableStr().assign(written->data, written->length);
    }
    return pem;
}
