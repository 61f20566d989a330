// The codec over inputs the size of a whole document: a 64 MiB armoured body in 72-character CR LF
// lines, as the signing tools write it.
#include "e2eCrypto/base64.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr std::size_t encodedSize = 64u << 20;
constexpr std::size_t rawSize = encodedSize / 74 * 54; // 54 bytes make one 72-character line and CR LF

const std::string& rawBytes() {
    static const std::string bytes = [] {
        std::mt19937_64 random(20240229);
        std::string out(rawSize, '\0');
        for (char& byte : out) {
            byte = static_cast<char>(random());
        }
        return out;
    }();
    return bytes;
}

const std::string& armouredBody() {
    static const std::string body = encodeBase64(rawBytes());
    return body;
}

void decodeArmouredBody(benchmark::State& state) {
    const std::string& body = armouredBody();
    for (auto _ : state) {
        std::string decoded = decodeBase64(body);
        benchmark::DoNotOptimize(decoded.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(decodeArmouredBody)->Unit(benchmark::kMillisecond);

// The armour reader hands the body over in two pieces around the cut-out END marker.
void decodeArmouredBodyInTwoPieces(benchmark::State& state) {
    const std::string_view body = armouredBody();
    const std::size_t half = body.size() / 2 + 1; // not on a group boundary
    for (auto _ : state) {
        std::string decoded = decodeBase64(body.substr(0, half), body.substr(half));
        benchmark::DoNotOptimize(decoded.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(decodeArmouredBodyInTwoPieces)->Unit(benchmark::kMillisecond);

void encodeBytes(benchmark::State& state) {
    const std::string& bytes = rawBytes();
    for (auto _ : state) {
        std::string encoded = encodeBase64(bytes);
        benchmark::DoNotOptimize(encoded.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(encodeBytes)->Unit(benchmark::kMillisecond);

} // namespace
