#pragma once
// The encrypted keys of an envelopedData's recipients, which the library reads but does not hand
// out: read from the structure's own encoding.
#include "e2eCrypto/openssl_handles.h"

#include <optional>
#include <string>
#include <vector>

// One list per RecipientInfo, in the library's order: the encrypted key of a key-transport recipient,
// those of a key-agreement recipient's recipient keys in order, nothing for other kinds. Nothing when
// the structure is no envelopedData with content or its encoding cannot be walked.
std::optional<std::vector<std::vector<std::string>>> recipientEncryptedKeys(CMS_ContentInfo& envelope);
