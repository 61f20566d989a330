#pragma once
// The verdict of one signature check: who signed, and the signature, integrity, validity and
// revocation findings, each with its icon. Only OK is offered, and Details, which opens below the
// dialog the facts found about each signer (their text can be selected and copied).
#include "app/themed_dialog.h"

#include "e2eCrypto/signature_verdict.h"

class QLabel;

namespace resultid {
inline constexpr int ok = 1;
inline constexpr int cancel = 2;
inline constexpr int headerIcon = 1023;
inline constexpr int header = 1024;
inline constexpr int signedBy = 1019;
inline constexpr int description = 1025;
inline constexpr int signatureIcon = 1026;
inline constexpr int signatureLabel = 1027;
inline constexpr int signature = 1028;
inline constexpr int integrityIcon = 1029;
inline constexpr int validityIcon = 1030;
inline constexpr int revocationIcon = 1031;
inline constexpr int integrity = 1032;
inline constexpr int validity = 1033;
inline constexpr int revocation = 1034;
// The Details button and the signer facts it shows; only when the verdict carries facts.
inline constexpr int detailsButton = 1040;
inline constexpr int details = 1041;
} // namespace resultid

class SignatureResultDialog : public ThemedDialog {
    Q_OBJECT
public:
    SignatureResultDialog(const SignatureVerdict& verdict, QWidget* owner);

    // Sets the four status icons (information balloon, blue tick or red cross).
    void setStatuses(VerdictStatus integrityStatus, VerdictStatus validityStatus,
                     VerdictStatus revocationStatus, VerdictStatus signatureStatus);

    static void showResult(const SignatureVerdict& verdict, QWidget* owner);

    // Opens or closes the signer facts (closed when the dialog opens).
    void showDetails(bool shown);

private:
    QLabel* iconControl(int id) const;

    int closedHeight_ = 0;
};
