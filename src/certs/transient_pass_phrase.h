#pragma once
// The pass phrase under which a private key travels from the store to the decryption of one
// certificate-encrypted layer. It is never shown or stored.
#include "e2eCrypto/secret_string.h"

#include <cstdint>

// "Rw4pQz^(8m!" followed by a number from 0 to 32767 drawn from a generator seeded with seconds.
SecretString transientKeyPassPhrase(std::uint32_t seconds);

// The pass phrase for the current time in whole seconds.
SecretString makeTransientKeyPassPhrase();
