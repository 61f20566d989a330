#include "e2eCrypto/block_decryption.h"

#include <openssl/crypto.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace {

void wipeAndClear(std::string& bytes) {
    if (!bytes.empty()) {
        OPENSSL_cleanse(bytes.data(), bytes.size());
    }
    bytes.clear();
}

// Fetching is costly in OpenSSL 3, so each name is fetched once. The objects live for the process;
// the table is never destroyed, so that nothing is freed after the library has cleaned up at exit.
template <typename T, T* (*Fetch)(OSSL_LIB_CTX*, const char*, const char*)> const T* fetchOnce(const char* name) {
    static std::mutex guard;
    static auto* const fetched = new std::map<std::string, T*>;
    const std::lock_guard lock(guard);
    auto [entry, inserted] = fetched->try_emplace(name, nullptr);
    if (inserted) {
        entry->second = Fetch(nullptr, name, nullptr);
    }
    return entry->second;
}

// A large plaintext buffer is asked to be backed by huge pages before it is first touched: filling
// a fresh buffer page by page costs as much time in page faults as a few per cent of the cipher.
void sizeForPlaintext(std::string& plaintext, std::size_t size) {
    constexpr std::size_t hugePage = std::size_t{2} << 20;
    plaintext.reserve(size);
    if (size >= 2 * hugePage) {
        const auto start = reinterpret_cast<std::uintptr_t>(plaintext.data());
        const std::uintptr_t first = (start + hugePage - 1) & ~(hugePage - 1);
        const std::uintptr_t last = (start + size) & ~(hugePage - 1);
        if (last > first) {
            ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
        }
    }
    plaintext.resize(size);
}

} // namespace

bool decryptBlocks(EVP_CIPHER_CTX& cipher, std::string_view ciphertext, std::string& plaintext) {
    wipeAndClear(plaintext);
    if (ciphertext.empty()) {
        return true;
    }
    const auto blockSize = static_cast<std::size_t>(EVP_CIPHER_CTX_get_block_size(&cipher));
    sizeForPlaintext(plaintext, ciphertext.size() + blockSize);
    auto* out = reinterpret_cast<unsigned char*>(plaintext.data());
    const auto* in = reinterpret_cast<const unsigned char*>(ciphertext.data());
    std::size_t written = 0;
    for (std::size_t offset = 0; offset < ciphertext.size(); offset += decryptionPieceSize) {
        const std::size_t piece = std::min(decryptionPieceSize, ciphertext.size() - offset);
        int pieceOut = 0;
        if (EVP_DecryptUpdate(&cipher, out + written, &pieceOut, in + offset, static_cast<int>(piece)) != 1) {
            wipeAndClear(plaintext);
            return false;
        }
        written += static_cast<std::size_t>(pieceOut);
    }
    int lastOut = 0;
    if (EVP_DecryptFinal_ex(&cipher, out + written, &lastOut) != 1) {
        wipeAndClear(plaintext);
        return false;
    }
    written += static_cast<std::size_t>(lastOut);
    plaintext.resize(written);
    return true;
}

const EVP_CIPHER* fetchedCipher(const char* name) { return fetchOnce<EVP_CIPHER, EVP_CIPHER_fetch>(name); }

const EVP_MD* fetchedDigest(const char* name) { return fetchOnce<EVP_MD, EVP_MD_fetch>(name); }
