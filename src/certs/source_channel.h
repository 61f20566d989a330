#pragma once
// Reading channels over a certificate or CRL source: a file named by a path, or the bytes themselves.
#include "e2eCrypto/openssl_handles.h"

#include <string>
#include <string_view>

// A channel that every format attempt can rewind with BIO_reset. Throws errorDef::Fatal
// "System is low in memory" when no channel can be allocated; returns null when the source cannot be
// read: a path that names no readable regular file (a directory or FIFO would fail or block later),
// or bytes that are empty or longer than a channel holds.
BioPtr openSourceChannel(const std::string& source, bool sourceIsFile);

// Whether bytes can be read through a memory channel: not empty and within its length range.
bool fitsMemoryChannel(std::string_view bytes);

// A read-only channel over bytes (not copied; they must outlive it); null when it cannot be allocated.
BioPtr newMemoryChannel(std::string_view bytes);
