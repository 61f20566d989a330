#pragma once
// What the signature result dialog shows: filled by verification, drawn by a front end.
#include <string>

enum class VerdictIcon : int {
    BlueTick = 172,    // status Good
    RedCross = 182,    // header "FAILED", status Bad
    GreenTick = 183,   // header "SUCCESS"
    Information = 184, // status Unknown
};

// How one line of the verdict came out; the numbers are the status values the dialog is given.
enum class VerdictStatus {
    Unknown = 0, // information balloon
    Good = 1,    // blue tick
    Bad = 2,     // red cross
};

struct SignatureVerdict {
    std::string header; // "SUCCESS" or "FAILED"
    VerdictIcon headerIcon = VerdictIcon::GreenTick;
    std::string description;   // the signer description, lines ended by "\n"
    std::string signatureText; // "Verified" / "Not Verified"
    std::string integrityText;
    std::string validityText;
    std::string revocationText;
    VerdictStatus integrityStatus = VerdictStatus::Good;
    VerdictStatus validityStatus = VerdictStatus::Good;
    VerdictStatus revocationStatus = VerdictStatus::Good;
    VerdictStatus signatureStatus = VerdictStatus::Good;
};

// The icon a status is shown with; any value but Good and Bad gets the information balloon.
inline VerdictIcon statusIcon(VerdictStatus status) {
    return status == VerdictStatus::Good  ? VerdictIcon::BlueTick
           : status == VerdictStatus::Bad ? VerdictIcon::RedCross
                                          : VerdictIcon::Information;
}
