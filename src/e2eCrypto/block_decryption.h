#pragma once
// Runs a block cipher that is already keyed for decryption over a whole ciphertext, straight into
// one buffer. Shared by both decryption modes.
#include <openssl/evp.h>

#include <cstddef>
#include <string>
#include <string_view>

// The largest piece handed to the cipher at once.
inline constexpr std::size_t decryptionPieceSize = 307200;

// Replaces plaintext with the decryption of ciphertext. False when the cipher fails, including a
// last block whose padding is wrong and a length that is not a multiple of the block size; the
// plaintext is then wiped and empty. An empty ciphertext gives an empty plaintext. The cipher is a
// block cipher keyed for decryption and not used yet; it is switched to bare blocks (the padding is
// checked here), and a large CBC text is decrypted in runs on several threads at once.
// Throws std::bad_alloc when the buffer cannot be had.
bool decryptBlocks(EVP_CIPHER_CTX& cipher, std::string_view ciphertext, std::string& plaintext);

// The same with buffer decrypted onto itself and cut to the plaintext, without a second buffer.
bool decryptBlocksWithin(EVP_CIPHER_CTX& cipher, std::string& buffer);

// The implementations, fetched once per process; null when the library does not offer them.
const EVP_CIPHER* fetchedCipher(const char* name);
const EVP_MD* fetchedDigest(const char* name);
