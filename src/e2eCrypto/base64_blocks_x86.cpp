#include "e2eCrypto/base64_blocks.h"

#include <immintrin.h>

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// 32 text bytes become 24 bytes. Each byte is sorted by its two nibbles: the AND of two table
// lookups is zero exactly for the alphabet, and a third lookup (by high nibble, with "/" set apart)
// gives what to add to a byte to get its value. Multiply-adds then pack four 6-bit values into
// three bytes, which a shuffle and a lane permutation bring into order.
constexpr std::size_t blockText = 32;
constexpr std::size_t groupsPerBlock = blockText / 4;

__attribute__((target("avx2"))) Base64BlockRun decodeAvx2(const unsigned char* in, std::size_t length,
                                                          char* out) {
    const __m256i lowClasses = _mm256_setr_epi8(
        0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A, 0x15,
        0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
    const __m256i highClasses = _mm256_setr_epi8(
        0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
        0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
    const __m256i offsets = _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16,
                                             19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i slash = _mm256_set1_epi8('/');
    const __m256i pairValues = _mm256_set1_epi32(0x01400140);
    const __m256i pairPairs = _mm256_set1_epi32(0x00011000);
    const __m256i byteOrder = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1,
                                               0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    const __m256i laneOrder = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);

    Base64BlockRun run;
    while (run.read + blockText <= length) {
        const __m256i text = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + run.read));
        const __m256i high = _mm256_and_si256(_mm256_srli_epi32(text, 4), nibble);
        const __m256i classes =
            _mm256_and_si256(_mm256_shuffle_epi8(lowClasses, _mm256_and_si256(text, nibble)),
                             _mm256_shuffle_epi8(highClasses, high));
        const auto inAlphabet = static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(classes, _mm256_setzero_si256())));
        const std::size_t groups = static_cast<std::size_t>(std::countr_one(inAlphabet)) / 4;
        if (groups == 0) {
            break;
        }
        if (out != nullptr) {
            const __m256i values = _mm256_add_epi8(
                text, _mm256_shuffle_epi8(offsets, _mm256_add_epi8(_mm256_cmpeq_epi8(text, slash), high)));
            const __m256i packed = _mm256_madd_epi16(_mm256_maddubs_epi16(values, pairValues), pairPairs);
            const __m256i bytes =
                _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(packed, byteOrder), laneOrder);
            char* to = out + run.written;
            if (groups == groupsPerBlock) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm256_castsi256_si128(bytes));
                _mm_storel_epi64(reinterpret_cast<__m128i*>(to + 16), _mm256_extracti128_si256(bytes, 1));
            } else {
                alignas(32) char whole[32];
                _mm256_store_si256(reinterpret_cast<__m256i*>(whole), bytes);
                std::memcpy(to, whole, 3 * groups);
            }
        }
        run.read += 4 * groups;
        run.written += 3 * groups;
        if (groups < groupsPerBlock) {
            break;
        }
    }
    return run;
}

} // namespace

Base64BlockDecoder processorBase64BlockDecoder() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? decodeAvx2 : nullptr;
}
