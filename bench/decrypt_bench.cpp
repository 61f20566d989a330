// Decrypting 16 MiB in each mode, beside the bare DES-EDE3-CBC decryption of the same amount: the
// modes should cost little more than the cipher itself.
#include "e2eCrypto/decryption.h"
#include "e2eCrypto/evp_recipient_key.h"
#include "support/document_writer.h"

#include <benchmark/benchmark.h>

#include <openssl/evp.h>

namespace {

constexpr std::size_t contentSize = 16 << 20;
constexpr const char* passPhrase = "bench pass phrase";

const std::string& content() {
    static const std::string bytes = [] {
        std::string made(contentSize, '\0');
        for (std::size_t i = 0; i < made.size(); ++i) {
            made[i] = static_cast<char>((i * 2654435761u) >> 13);
        }
        return made;
    }();
    return bytes;
}

const std::string& passPhraseCiphertext() {
    static const std::string ciphertext = testdoc::passPhraseCiphertext(content(), passPhrase);
    return ciphertext;
}

void passPhraseLayer(benchmark::State& state) {
    const std::string& ciphertext = passPhraseCiphertext();
    for (auto _ : state) {
        std::string output;
        decryptData(ciphertext, output, SecretString(passPhrase), SecretString(), PassPhraseMode,
                    supportedKeyFormat);
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * contentSize));
}

void certificateLayer(benchmark::State& state) {
    testdoc::CertificateOptions options;
    options.subject = "/CN=Bench Recipient";
    const testdoc::Identity recipient = testdoc::makeIdentity(options);
    const std::string armour =
        testdoc::armour(testdoc::envelopedDataDer(content(), {recipient.certificate.get()}));
    EvpRecipientKey key(*recipient.key);
    const std::string certificate = testdoc::certificateDer(recipient.certificate.get());
    for (auto _ : state) {
        std::string output;
        decryptData(armour, output, key, PrivateKeyMode, supportedKeyFormat, certificate);
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * contentSize));
}

// The cipher alone, key already derived, into a buffer made once: the floor both modes stand on.
void bareCipher(benchmark::State& state) {
    const std::string& ciphertext = passPhraseCiphertext();
    const unsigned char key[24] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                   13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
    const unsigned char iv[8] = {};
    std::string output(ciphertext.size() + 8, '\0');
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    for (auto _ : state) {
        EVP_DecryptInit_ex2(context, EVP_des_ede3_cbc(), key, iv, nullptr);
        EVP_CIPHER_CTX_set_padding(context, 0);
        int written = 0;
        EVP_DecryptUpdate(context, reinterpret_cast<unsigned char*>(output.data()), &written,
                          reinterpret_cast<const unsigned char*>(ciphertext.data()),
                          static_cast<int>(ciphertext.size()));
        benchmark::DoNotOptimize(written);
    }
    EVP_CIPHER_CTX_free(context);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * contentSize));
}

} // namespace

BENCHMARK(passPhraseLayer)->Unit(benchmark::kMillisecond);
BENCHMARK(certificateLayer)->Unit(benchmark::kMillisecond);
BENCHMARK(bareCipher)->Unit(benchmark::kMillisecond);
