#pragma once
// What the signature result dialog shows: filled by verification, drawn by a front end.
#include <string>

enum class VerdictIcon : int {
    BlueTick = 172,     // status 1
    RedCross = 182,     // header "FAILED", status 2
    GreenTick = 183,    // header "SUCCESS"
    Information = 184,  // status 0
};

struct SignatureVerdict {
    std::string header;          // "SUCCESS" or "FAILED"
    VerdictIcon headerIcon = VerdictIcon::GreenTick;
    std::string description;     // the signer description, lines ended by "\n"
    std::string signatureText;   // "Verified" / "Not Verified"
    std::string integrityText;
    std::string validityText;
    std::string revocationText;
    // 0 unknown (information balloon), 1 good (blue tick), 2 bad (red cross).
    int integrityStatus = 1;
    int validityStatus = 1;
    int revocationStatus = 1;
    int signatureStatus = 1;
};

// The icon a status value is shown with.
inline VerdictIcon statusIcon(int status) {
    return status == 1 ? VerdictIcon::BlueTick : status == 2 ? VerdictIcon::RedCross : VerdictIcon::Information;
}
