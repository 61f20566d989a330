#include "app/signer_details.h"

#include "app/text_bytes.h"

#include <QStringList>

namespace {

QString revocationText(const SignerFacts& signer) {
    switch (signer.revocation) {
    case RevocationStatus::NotRevoked:
        return QStringLiteral("not revoked");
    case RevocationStatus::Revoked:
        return QStringLiteral("revoked");
    case RevocationStatus::Unknown:
        return QStringLiteral("unknown");
    case RevocationStatus::NotChecked:
        break;
    }
    return QStringLiteral("not checked");
}

QString datesText(const SignerFacts& signer) {
    QString text = QStringLiteral("%1 to %2").arg(fromBytes(signer.notBefore), fromBytes(signer.notAfter));
    if (signer.expired) {
        text += QStringLiteral(" (expired)");
    } else if (signer.notYetValid) {
        text += QStringLiteral(" (not yet valid)");
    }
    return text;
}

QString chainText(const SignerFacts& signer) {
    if (signer.chainTrusted) {
        return QStringLiteral("Certificate chain: trusted");
    }
    if (signer.chainProblem == ChainProblem::UnknownAuthority || signer.chainProblem == ChainProblem::None) {
        return QStringLiteral("Certificate chain: no known authority");
    }
    return QStringLiteral("Certificate chain: not trusted (%1)")
        .arg(QLatin1String(chainProblemWords(signer.chainProblem)));
}

QStringList factsOf(const SignerFacts& signer) {
    QStringList lines{
        QStringLiteral("Subject: %1").arg(fromBytes(signer.subject)),
        QStringLiteral("Issuer: %1").arg(fromBytes(signer.issuer)),
        QStringLiteral("Serial number: %1").arg(fromBytes(signer.serial)),
        QStringLiteral("SHA-256 fingerprint: %1").arg(fromBytes(signer.sha256)),
        QStringLiteral("Valid: %1").arg(datesText(signer)),
        QStringLiteral("Signing time: %1")
            .arg(signer.signingTime ? fromBytes(*signer.signingTime) : QStringLiteral("not given")),
        QStringLiteral("Digest: %1, signature algorithm: %2")
            .arg(fromBytes(signer.digest), fromBytes(signer.signatureAlgorithm)),
        QStringLiteral("Signature: %1")
            .arg(signer.signatureValid ? QStringLiteral("valid") : QStringLiteral("not valid")),
        QStringLiteral("Revocation: %1").arg(revocationText(signer)),
    };
    if (signer.crl && signer.crl->problem == CrlProblem::Unreadable) {
        lines.append(QStringLiteral("CRL: cannot be read"));
    } else if (signer.crl) {
        lines.append(QStringLiteral("CRL: issued by %1, updated %2, next update %3")
                         .arg(fromBytes(signer.crl->issuer), fromBytes(signer.crl->thisUpdate),
                              signer.crl->nextUpdate.empty() ? QStringLiteral("not given")
                                                             : fromBytes(signer.crl->nextUpdate)));
        if (signer.crl->problem != CrlProblem::None) {
            lines.append(QStringLiteral("CRL cannot clear the signer: %1")
                             .arg(QLatin1String(crlProblemName(signer.crl->problem))));
        }
    }
    lines.append(chainText(signer));
    for (const std::string& subject : signer.chainSubjects) {
        lines.append(QStringLiteral("    %1").arg(fromBytes(subject)));
    }
    return lines;
}

} // namespace

QString signerDetailsText(const std::vector<SignerFacts>& signers) {
    QStringList blocks;
    for (std::size_t i = 0; i < signers.size(); ++i) {
        QStringList lines = factsOf(signers[i]);
        if (signers.size() > 1) {
            lines.prepend(QStringLiteral("Signer %1 of %2").arg(i + 1).arg(signers.size()));
        }
        blocks.append(lines.join(QLatin1Char('\n')));
    }
    return blocks.join(QStringLiteral("\n\n"));
}
