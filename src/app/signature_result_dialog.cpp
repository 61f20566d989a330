#include "app/signature_result_dialog.h"

#include "app/image_button.h"
#include "app/on_screen.h"
#include "app/signer_details.h"
#include "app/text_bytes.h"
#include "app/whole_text.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>

#include <algorithm>

namespace {
constexpr int unknownIcon = static_cast<int>(VerdictIcon::Information);
// The facts' box, in dialog units: its height when the screen has room, and its margin.
constexpr int detailsHeightUnits = 110;
constexpr int detailsMarginUnits = 7;
} // namespace

SignatureResultDialog::SignatureResultDialog(const SignatureVerdict& verdict, QWidget* owner)
    : ThemedDialog(231, 238, resultPlate, owner) {
    const ResourceLayout& l = layout();
    // This dialog wears the two faces the other way round.
    ImageButton* ok = l.button(resultid::ok, QStringLiteral("OK"), 84, 215, 62, 16, faceNormal, faceHover);
    ImageButton* cancel =
        l.button(resultid::cancel, QStringLiteral("Cancel"), 89, 217, 50, 14, faceNormal, faceHover);
    cancel->hide();
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    l.icon(resultid::headerIcon, static_cast<int>(verdict.headerIcon), 15, 16, 20, 20);
    QLabel* header = l.text(resultid::header, fromBytes(verdict.header), 45, 23, 79, 13);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    l.text(resultid::signedBy, QStringLiteral("This data is digitally signed by:"), 17, 42, 114, 10);
    WholeText* description =
        l.wholeText(resultid::description, fromBytes(verdict.description), 17, 52, 200, 50);
    description->area()->setFrameShape(QFrame::Box);
    description->setMargin(2);

    l.icon(resultid::signatureIcon, unknownIcon, 7, 108, 20, 20);
    l.text(resultid::signatureLabel, QStringLiteral("Signature:"), 33, 118, 32, 11);
    l.text(resultid::signature, fromBytes(verdict.signatureText), 70, 119, 73, 11);
    l.icon(resultid::integrityIcon, unknownIcon, 19, 140, 20, 20);
    l.text(resultid::integrity, fromBytes(verdict.integrityText), 47, 147, 167, 12);
    l.icon(resultid::validityIcon, unknownIcon, 19, 166, 20, 20);
    l.text(resultid::validity, fromBytes(verdict.validityText), 47, 172, 167, 12);
    l.icon(resultid::revocationIcon, unknownIcon, 19, 192, 20, 20);
    l.text(resultid::revocation, fromBytes(verdict.revocationText), 47, 197, 167, 12);

    if (!verdict.signers.empty()) {
        ImageButton* details = l.button(resultid::detailsButton, QStringLiteral("&Details"), 160, 215, 62, 16,
                                        faceNormal, faceHover);
        auto* facts = new QPlainTextEdit(signerDetailsText(verdict.signers), this);
        facts->setObjectName(controlName(resultid::details));
        facts->setReadOnly(true);
        // Long names and the fingerprint wrap rather than hide behind a scroll bar.
        facts->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        facts->hide();
        connect(details, &QPushButton::clicked, this, [this, facts] { showDetails(!facts->isVisible()); });
    }

    setStatuses(verdict.integrityStatus, verdict.validityStatus, verdict.revocationStatus,
                verdict.signatureStatus);
    growToShow(description);
    closedHeight_ = height();
}

void SignatureResultDialog::showDetails(bool shown) {
    auto* facts = findChild<QPlainTextEdit*>(controlName(resultid::details));
    if (facts == nullptr || facts->isVisible() == shown) {
        return;
    }
    if (!shown) {
        facts->hide();
        setFixedSize(width(), closedHeight_);
        return;
    }
    const DialogUnits& units = layout().units();
    const int margin = units.x(detailsMarginUnits);
    const int room = screen()->availableGeometry().height() - frameAllowance - closedHeight_ - margin;
    const int boxHeight = std::max(units.y(20), std::min(units.y(detailsHeightUnits), room));
    facts->setGeometry(margin, closedHeight_, width() - 2 * margin, boxHeight);
    setFixedSize(width(), closedHeight_ + boxHeight + margin);
    facts->show();
    keepOnScreen(this);
}

QLabel* SignatureResultDialog::iconControl(int id) const {
    return findChild<QLabel*>(controlName(id));
}

void SignatureResultDialog::setStatuses(VerdictStatus integrityStatus, VerdictStatus validityStatus,
                                        VerdictStatus revocationStatus, VerdictStatus signatureStatus) {
    setIconPicture(iconControl(resultid::integrityIcon), static_cast<int>(::statusIcon(integrityStatus)));
    setIconPicture(iconControl(resultid::validityIcon), static_cast<int>(::statusIcon(validityStatus)));
    setIconPicture(iconControl(resultid::revocationIcon), static_cast<int>(::statusIcon(revocationStatus)));
    setIconPicture(iconControl(resultid::signatureIcon), static_cast<int>(::statusIcon(signatureStatus)));
}

void SignatureResultDialog::showResult(const SignatureVerdict& verdict, QWidget* owner) {
    SignatureResultDialog dialog(verdict, owner);
    dialog.exec();
}
