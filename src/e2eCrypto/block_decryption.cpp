#include "e2eCrypto/block_decryption.h"

#include <openssl/crypto.h>

#include "e2eCrypto/openssl_handles.h"
#include "platform/memory_pages.h"
#include "platform/work_progress.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

void wipeAndClear(std::string& bytes) {
    if (!bytes.empty()) {
        OPENSSL_cleanse(bytes.data(), bytes.size());
    }
    bytes.clear();
}

// Fetching is costly in OpenSSL 3, so each name is fetched once. The objects live for the process;
// the table is never destroyed, so that nothing is freed after the library has cleaned up at exit.
template <typename T, T* (*Fetch)(OSSL_LIB_CTX*, const char*, const char*)>
const T* fetchOnce(const char* name) {
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
    plaintext.reserve(size);
    platform::preferLargePages(plaintext.data(), size);
    plaintext.resize(size);
}

// Decrypts whole blocks from in to out (the same place, or apart) in pieces the cipher's int length
// can take. The cipher holds no block back, so every piece comes out where it went in.
bool decryptRun(EVP_CIPHER_CTX& cipher, const unsigned char* in, unsigned char* out, std::size_t size) {
    for (std::size_t offset = 0; offset < size; offset += decryptionPieceSize) {
        const int piece = static_cast<int>(std::min(decryptionPieceSize, size - offset));
        int pieceOut = 0;
        if (EVP_DecryptUpdate(&cipher, out + offset, &pieceOut, in + offset, piece) != 1 ||
            pieceOut != piece || !WorkPass::advanced(static_cast<std::uint64_t>(piece))) {
            return false;
        }
    }
    return true;
}

// Below this a second thread costs more than it saves.
constexpr std::size_t parallelThreshold = std::size_t{4} << 20;
constexpr unsigned maximumThreads = 8;

// CBC decryption of one block needs only that block and the one before it, so a large text is cut
// into runs decrypted at once, each with its own copy of the keyed cipher and the ciphertext block
// before the run as its IV. The IVs are taken before any run starts, as decrypting in place
// overwrites them. Runs that get no thread of their own are done here.
bool decryptWholeBlocks(EVP_CIPHER_CTX& cipher, const unsigned char* in, unsigned char* out, std::size_t size,
                        std::size_t blockSize) {
    const unsigned threads = std::min(maximumThreads, std::max(1U, std::thread::hardware_concurrency()));
    const std::size_t blocks = size / blockSize;
    const std::size_t runs = size < parallelThreshold ? 1 : threads;
    const std::size_t runBytes = (blocks + runs - 1) / runs * blockSize;
    if (runs == 1 || EVP_CIPHER_CTX_get_mode(&cipher) != EVP_CIPH_CBC_MODE) {
        return decryptRun(cipher, in, out, size);
    }
    struct Run {
        EvpCipherCtxPtr cipher;
        std::size_t offset = 0;
        std::size_t size = 0;
        bool done = false;
    };
    std::vector<Run> work;
    for (std::size_t offset = runBytes; offset < size; offset += runBytes) {
        Run run{EvpCipherCtxPtr(EVP_CIPHER_CTX_new()), offset, std::min(runBytes, size - offset)};
        if (!run.cipher || EVP_CIPHER_CTX_copy(run.cipher.get(), &cipher) != 1 ||
            EVP_DecryptInit_ex2(run.cipher.get(), nullptr, nullptr, in + offset - blockSize, nullptr) != 1 ||
            EVP_CIPHER_CTX_set_padding(run.cipher.get(), 0) != 1) {
            return decryptRun(cipher, in, out, size);
        }
        work.push_back(std::move(run));
    }
    std::vector<std::thread> started;
    started.reserve(work.size()); // so that only starting a thread can fail once one has started
    for (Run& run : work) {
        try {
            started.emplace_back([&run, in, out] {
                run.done = decryptRun(*run.cipher, in + run.offset, out + run.offset, run.size);
            });
        } catch (const std::system_error&) {
            run.done = decryptRun(*run.cipher, in + run.offset, out + run.offset, run.size);
        }
    }
    bool done = decryptRun(cipher, in, out, std::min(runBytes, size));
    for (std::thread& thread : started) {
        thread.join();
    }
    return done && std::all_of(work.begin(), work.end(), [](const Run& run) { return run.done; });
}

// Decrypts ciphertext into out (the same place, or apart) with the padding checked here, and gives
// the plaintext's length, or nothing when the cipher fails or the padding is wrong.
std::optional<std::size_t> decryptPadded(EVP_CIPHER_CTX& cipher, const unsigned char* in, unsigned char* out,
                                         std::size_t size) {
    const int blockSize = EVP_CIPHER_CTX_get_block_size(&cipher);
    const WorkPass pass(WorkStage::Decrypting, size);
    if (blockSize < 2 || size % static_cast<std::size_t>(blockSize) != 0 ||
        EVP_CIPHER_CTX_set_padding(&cipher, 0) != 1 ||
        !decryptWholeBlocks(cipher, in, out, size, static_cast<std::size_t>(blockSize))) {
        return std::nullopt;
    }
    const std::size_t padding = out[size - 1];
    bool padded = padding >= 1 && padding <= static_cast<std::size_t>(blockSize);
    for (std::size_t i = 1; padded && i <= padding; ++i) {
        padded = out[size - i] == padding;
    }
    if (!padded) {
        return std::nullopt;
    }
    return size - padding;
}

} // namespace

bool decryptBlocks(EVP_CIPHER_CTX& cipher, std::string_view ciphertext, std::string& plaintext) {
    wipeAndClear(plaintext);
    if (ciphertext.empty()) {
        return true;
    }
    sizeForPlaintext(plaintext, ciphertext.size());
    const std::optional<std::size_t> length =
        decryptPadded(cipher, reinterpret_cast<const unsigned char*>(ciphertext.data()),
                      reinterpret_cast<unsigned char*>(plaintext.data()), ciphertext.size());
    if (!length) {
        wipeAndClear(plaintext);
        WorkProgress::throwIfStopped();
        return false;
    }
    plaintext.resize(*length);
    return true;
}

bool decryptBlocksWithin(EVP_CIPHER_CTX& cipher, std::string& buffer) {
    if (buffer.empty()) {
        return true;
    }
    auto* bytes = reinterpret_cast<unsigned char*>(buffer.data());
    const std::optional<std::size_t> length = decryptPadded(cipher, bytes, bytes, buffer.size());
    if (!length) {
        wipeAndClear(buffer);
        WorkProgress::throwIfStopped();
        return false;
    }
    buffer.resize(*length);
    return true;
}

const EVP_CIPHER* fetchedCipher(const char* name) {
    return fetchOnce<EVP_CIPHER, EVP_CIPHER_fetch>(name);
}

const EVP_MD* fetchedDigest(const char* name) {
    return fetchOnce<EVP_MD, EVP_MD_fetch>(name);
}
