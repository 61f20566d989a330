#include "pipeline/completion_text.h"

#include "pipeline/activity_log.h"

#include <array>

namespace {

// One row per completion, one text per column: single first pass, single further passes, batch first
// pass, batch further passes. The texts differ between columns on purpose; each is kept as shown.
struct Row {
    int kind;
    std::array<const char*, 4> texts;
};

const Row decryptedAndVerified{
    logkind::decryptAndVerify,
    {"Decryption/Verification complete and File Saved", "Decryption/Verification complete and File Saved",
     "Decryption/Verification completed and File Saved", "Decryption/Verification complete and File saved"}};
const Row decrypted{logkind::decryption,
                    {"Decryption complete and File Saved", "Decryption complete and File Saved",
                     "Decryption complete and File Saved", "Decryption complete and File Saved"}};
const Row verified{logkind::verification,
                   {"Verification complete and File Saved", "Verification complete and File Saved",
                    "Verification complete and File Saved", "Verification complete and File Saved"}};
const Row processed{logkind::decryptAndVerify,
                    {"Processed and saved the file", "Processed and Saved the file", "Processed the file",
                     "Processed the file"}};

const Row& rowFor(Completion completion) {
    switch (completion) {
    case Completion::DecryptedAndVerified:
        return decryptedAndVerified;
    case Completion::Decrypted:
        return decrypted;
    case Completion::Verified:
        return verified;
    case Completion::Processed:
        break;
    }
    return processed;
}

} // namespace

Completion completionOf(FirstPassLayers removed) {
    if (removed.passPhrase && removed.certificate) {
        return Completion::Processed;
    }
    if (removed.passPhrase || removed.certificate) {
        return removed.signedLayer ? Completion::DecryptedAndVerified : Completion::Decrypted;
    }
    // A first pass that removed nothing has no wording of its own.
    return removed.signedLayer ? Completion::Verified : Completion::Processed;
}

CompletionRecord completionRecord(Completion completion, JobMode mode, bool furtherPasses) {
    const std::size_t column = (mode == JobMode::Batch ? 2U : 0U) + (furtherPasses ? 1U : 0U);
    const Row& row = rowFor(completion);
    return {row.kind, row.texts[column]};
}
