// Verifying a signed layer as a job does, through one CertificateTools object: the armour is decoded,
// the content pulled through the digests and handed back. Revocation is skipped, so the figure is the
// verification's own.
#include "certs/certificate_tools.h"
#include "support/document_writer.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

const std::string& signedDocument(std::size_t contentSize) {
    static std::string layer;
    static std::size_t madeFor = 0;
    if (madeFor != contentSize) {
        std::mt19937_64 random(20240301);
        std::string content(contentSize, '\0');
        for (char& byte : content) {
            byte = static_cast<char>(random());
        }
        layer = testdoc::signedLayer(content, testdoc::makeIdentity({}));
        madeFor = contentSize;
    }
    return layer;
}

void verifySignedDocument(benchmark::State& state) {
    const auto contentSize = static_cast<std::size_t>(state.range(0));
    const std::string& layer = signedDocument(contentSize);
    const CertificateTools tools;
    for (auto _ : state) {
        SignedContent result = tools.verifySignature(layer, DigestSelector::Sha1, RevocationChoice::Skip, "");
        benchmark::DoNotOptimize(result.content.data());
        if (result.verdict.signatureText != "Verified" || result.content.size() != contentSize) {
            state.SkipWithError("verification failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * contentSize));
}
// A small document shows the cost per document, the large one the throughput.
BENCHMARK(verifySignedDocument)->Arg(4 << 10)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

} // namespace
