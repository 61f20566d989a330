#pragma once
// What the removal steps of one document share: the job, the library object, the revocation
// choice, the key store and the document's report.
#include "e2eCrypto/armour_reading.h"
#include "e2eCrypto/revocation_choice.h"
#include "pipeline/job_context.h"

#include <optional>
#include <string>

class CertificateTools;
class JobKeyStore;
struct FileReport;

struct LayerJob {
    JobContext& job;
    const CertificateTools& tools;
    RevocationChoice crlChoice; // Check looks the signer up in the CRL at crlPath
    const std::string& crlPath;
    JobKeyStore& keyStore;
    const std::string& keyNoticeMarkerPath;
    FileReport& report;
    bool firstPass = true;
    // The outermost layer's armour, when it was decoded as the document was read: the content is
    // then its DER, and the step of its kind takes it.
    std::optional<DecodedArmour> decodedArmour{};
};

// How a removal step ended.
enum class StepEnd {
    Removed,   // the layer is gone; the content is what it held
    KeepLayer, // batch, further pass: Cancel saves the content with this layer still in it
    SkipFile,  // batch, first pass: Cancel goes on with the next file
    EndJob,    // the job or the batch ends; already reported
};
