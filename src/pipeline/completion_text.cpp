#include "pipeline/completion_text.h"

#include "pipeline/activity_log.h"

#include <array>

namespace {

// One row per tally, one text per column: single first pass, single further passes, batch first
// pass, batch further passes. The texts differ between columns on purpose; each is kept as shown.
struct Row {
    int kind;
    std::array<const char*, 4> texts;
};

const Row signedAndEncrypted{
    logkind::decryptAndVerify,
    {"Decryption/Verification complete and File Saved", "Decryption/Verification complete and File Saved",
     "Decryption/Verification completed and File Saved", "Decryption/Verification complete and File saved"}};
const Row encrypted{logkind::decryption,
                    {"Decryption complete and File Saved", "Decryption complete and File Saved",
                     "Decryption complete and File Saved", "Decryption complete and File Saved"}};
const Row signedOnly{logkind::verification,
                     {"Verification complete and File Saved", "Verification complete and File Saved",
                      "Verification complete and File Saved", "Verification complete and File Saved"}};
const Row otherwise{logkind::decryptAndVerify,
                    {"Processed and saved the file", "Processed and Saved the file", "Processed the file",
                     "Processed the file"}};

const Row& rowFor(int layerTally) {
    switch (layerTally) {
    case 6:
        return signedAndEncrypted;
    case 4:
        return encrypted;
    case 2:
        return signedOnly;
    default:
        return otherwise;
    }
}

} // namespace

CompletionRecord completionRecord(int layerTally, JobMode mode, bool furtherPasses) {
    const std::size_t column = (mode == JobMode::Batch ? 2U : 0U) + (furtherPasses ? 1U : 0U);
    const Row& row = rowFor(layerTally);
    return {row.kind, row.texts[column]};
}
