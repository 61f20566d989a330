// Verifying a document an attacker made slow: about 2 MB, 8 signers, each carried behind 1,000
// certificates that copy its issuer and serial number and hold a 3072-bit RSA key with a huge public
// exponent. Every look-alike shares one key and one issuer's signature (they differ in their subject,
// which leaves that signature wrong; nothing reads it), so making the document costs little.
#include "certs/certificate_tools.h"
#include "support/document_writer.h"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int signerCount = 8;
constexpr int lookAlikeCount = 1000;
constexpr std::size_t contentSize = 128 << 10;

std::string makeDocument() {
    const testdoc::Identity signer = testdoc::makeIdentity({});
    const testdoc::Identity model = testdoc::makeIdentity(
        {.subject = "/CN=Mallory", .keyBits = 3072, .hugePublicExponent = true}, &signer);
    std::vector<X509Ptr> lookAlikes;
    std::vector<const X509*> leading;
    for (int i = 0; i < lookAlikeCount; ++i) {
        X509Ptr copy(X509_dup(model.certificate.get()));
        const std::string cn = "Mallory " + std::to_string(i);
        const std::unique_ptr<X509_NAME, OpenSslDeleter<X509_NAME_free>> subject(X509_NAME_new());
        if (!subject || !copy ||
            X509_NAME_add_entry_by_txt(subject.get(), "CN", MBSTRING_UTF8,
                                       reinterpret_cast<const unsigned char*>(cn.data()),
                                       static_cast<int>(cn.size()), -1, 0) != 1 ||
            X509_set_subject_name(copy.get(), subject.get()) != 1 ||
            i2d_re_X509_tbs(copy.get(), nullptr) <= 0) { // the copy keeps its old encoding otherwise
            throw std::runtime_error("cannot make a look-alike");
        }
        leading.push_back(copy.get());
        lookAlikes.push_back(std::move(copy));
    }
    const std::vector<const testdoc::Identity*> others(signerCount - 1, &signer);
    return testdoc::signedLayer(std::string(contentSize, 'q'), signer,
                                {.extraSigners = others, .leadingCertificates = leading});
}

void verifyLookAlikeDocument(benchmark::State& state) {
    const std::string layer = makeDocument();
    state.counters["bytes"] = static_cast<double>(layer.size());
    const CertificateTools tools;
    for (auto _ : state) {
        SignedContent result = tools.verifySignature(layer, DigestSelector::Sha1, RevocationChoice::Skip, "");
        benchmark::DoNotOptimize(result.content.data());
        if (result.verdict.header != "SUCCESS" || result.verdict.signers.size() != signerCount) {
            state.SkipWithError("the genuine signers were not verified");
        }
    }
}
BENCHMARK(verifyLookAlikeDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
