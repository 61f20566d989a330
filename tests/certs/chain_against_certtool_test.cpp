// An outside judge: GnuTLS's certtool verifies the same chains and CRLs as our chain and revocation
// facts. Linux only: the judge is a Debian program.
#include "certs/revocation_check.h"
#include "e2eCrypto/signature_verification.h"
#include "e2eCrypto/verification_store.h"
#include "support/child_process.h"
#include "support/document_writer.h"
#include "support/fixed_clock.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace testdoc;

// certtool has no option for the moment it judges at: it judges now. So every date here lies days
// from now, our check clock is fixed at the start, and a run that takes seconds cannot tip a case.
constexpr std::int64_t day = 24 * 3600;

struct Case {
    std::string name;
    std::vector<CertificateOptions> authorities; // the root first
    CertificateOptions signer;
    CrlOptions crl; // issued by the signer's own issuer
    // Why the judges may differ on this case (never in the signer's favour); empty when they agree.
    std::string disagreement{};
};

using Change = std::function<void(CertificateOptions&)>;

struct Variation {
    const char* name;
    Change change;
    std::string disagreement{}; // for an authority, only when it is the signer's issuer (and signs the list)
};

// The classes of disagreement, each in our disfavour.
// certtool checks neither the keyUsage of the signer's certificate nor that of the list's signer
// (GnuTLS's trust list takes lists without it); we hold both to what they allow.
const std::string signerUsageUnchecked = "certtool does not check the signer's keyUsage";
const std::string crlSignerUsageUnchecked = "certtool does not check the list signer's keyUsage";
// certtool weighs a list only for the certificates it lists: a list past its nextUpdate or not yet
// begun, a delta list, one limited by an issuing distribution point or carrying an unknown critical
// extension clears the certificate there; here it cannot clear it.
const std::string listUnweighed = "certtool clears with any list that does not list the certificate";
// certtool counts every entry as a revocation; an entry with reason removeFromCRL revokes nothing
// here, and, as only delta lists may carry one, leaves a whole list unable to clear the certificate.
const std::string entryReasonUnread = "certtool reads no entry's reason";
// A list without entries clears nobody here, as the original program decided.
const std::string emptyListClearsNobody = "an empty list clears nobody here";
// Past five authorities below the root, the chain is too long here; certtool allows sixteen.
const std::string depthLimit = "our depth limit is five authorities";

CertificateOptions authorityOptions(int level) {
    return {.subject = "/O=Judged/CN=Authority " + std::to_string(level),
            .serial = 100 + level,
            .notBeforeOffset = -30 * day,
            .notAfterOffset = 365 * day,
            .keyIndex = 10 + level,
            .isCa = true};
}

CertificateOptions signerOptions() {
    return {.subject = "/O=Judged/CN=Signer",
            .serial = 9,
            .notBeforeOffset = -30 * day,
            .notAfterOffset = 365 * day,
            .keyIndex = 30};
}

const SerialNumber signerSerial = 9;
// certtool weighs the extendedKeyUsage of the signer's certificate only for a purpose it is given.
const std::string emailProtection = "1.3.6.1.5.5.7.3.4";
const CrlOptions currentCrl{.revokedSerials = {4}, .pem = true, .lastUpdateOffset = -day};

// Dates and signatures, for an authority and the signer alike.
std::vector<Variation> certificateVariations() {
    return {
        {"Expired", [](auto& o) { o.notAfterOffset = -2 * day; }},
        {"NotYetValid", [](auto& o) { o.notBeforeOffset = 2 * day; }},
        {"EndsInTwoDays", [](auto& o) { o.notAfterOffset = 2 * day; }},
        {"StartedTwoDaysAgo", [](auto& o) { o.notBeforeOffset = -2 * day; }},
        {"SignedWithSha1", [](auto& o) { o.issuerDigest = EVP_sha1(); }},
        {"SignedWithMd5", [](auto& o) { o.issuerDigest = EVP_md5(); }},
        {"Key1024", [](auto& o) { o.keyBits = 1024; }},
        {"Key512", [](auto& o) { o.keyBits = 512; }},
    };
}

// CA flags and key usages of an authority.
std::vector<Variation> authorityVariations() {
    std::vector<Variation> variations = certificateVariations();
    const std::vector<Variation> flags{
        {"CaFalse", [](auto& o) { o.basicConstraints = "critical,CA:FALSE"; }},
        {"NoBasicConstraints",
         [](auto& o) {
             o.isCa = false;
             o.keyUsage = "critical,keyCertSign,cRLSign";
         }},
        {"BasicConstraintsNotCritical", [](auto& o) { o.basicConstraints = "CA:TRUE"; }},
        {"PathLengthZero", [](auto& o) { o.basicConstraints = "critical,CA:TRUE,pathlen:0"; }},
        {"NoKeyUsage",
         [](auto& o) {
             o.isCa = false;
             o.basicConstraints = "critical,CA:TRUE";
         }},
        {"OnlyCrlSigning", [](auto& o) { o.keyUsage = "critical,cRLSign"; }},
        {"OnlyCertificateSigning", [](auto& o) { o.keyUsage = "critical,keyCertSign"; },
         crlSignerUsageUnchecked},
        // Both find no CA; certtool then says nothing of the list.
        {"OnlyDigitalSignature", [](auto& o) { o.keyUsage = "critical,digitalSignature"; },
         crlSignerUsageUnchecked},
    };
    variations.insert(variations.end(), flags.begin(), flags.end());
    return variations;
}

// Key usages and purposes of the signer.
std::vector<Variation> signerVariations() {
    std::vector<Variation> variations = certificateVariations();
    const std::vector<Variation> usages{
        {"DigitalSignature", [](auto& o) { o.keyUsage = "critical,digitalSignature"; }},
        {"NonRepudiation", [](auto& o) { o.keyUsage = "nonRepudiation"; }},
        {"EnciphermentOnly", [](auto& o) { o.keyUsage = "keyEncipherment"; }, signerUsageUnchecked},
        {"ForEmail", [](auto& o) { o.extendedKeyUsage = "emailProtection"; }},
        {"ForServersOnly", [](auto& o) { o.extendedKeyUsage = "serverAuth"; }},
        // A CA's keyUsage (keyCertSign, cRLSign) leaves out signing.
        {"ItselfACa", [](auto& o) { o.isCa = true; }, signerUsageUnchecked},
    };
    variations.insert(variations.end(), usages.begin(), usages.end());
    return variations;
}

struct CrlVariation {
    const char* name;
    std::function<void(CrlOptions&)> change;
    std::string unlistedDisagreement{};
    std::string listedDisagreement{};
};

// The list's dates, entries and scope; each both with and without the signer listed.
std::vector<CrlVariation> crlVariations() {
    return {
        {"Current", [](auto&) {}},
        {"Stale", [](auto& c) { c.lastUpdateOffset = -40 * day; }, listUnweighed},
        {"ThisUpdateAhead", [](auto& c) { c.lastUpdateOffset = 2 * day; }, listUnweighed},
        {"NoNextUpdate", [](auto& c) { c.noNextUpdate = true; }},
        {"EntriesRemovedFromTheList", [](auto& c) { c.entriesRemoveFromCrl = true; }, "", entryReasonUnread},
        {"Delta", [](auto& c) { c.delta = true; }, listUnweighed},
        {"OnlyCaCertificates", [](auto& c) { c.scope.onlyCa = true; }, listUnweighed},
        {"OnlyUserCertificates", [](auto& c) { c.scope.onlyUser = true; }},
        {"OnlySomeReasons", [](auto& c) { c.scope.someReasons = true; }, listUnweighed},
        {"Indirect", [](auto& c) { c.scope.indirect = true; }, listUnweighed},
        {"AnotherDistributionPoint", [](auto& c) { c.scope.distributionPoint = "http://crl.example/b.crl"; },
         listUnweighed},
        {"UnknownCriticalExtension", [](auto& c) { c.unknownCriticalExtension = true; }, listUnweighed},
    };
}

std::vector<CertificateOptions> soundAuthorities(int depth) {
    std::vector<CertificateOptions> authorities;
    for (int level = 0; level <= depth; ++level) {
        authorities.push_back(authorityOptions(level));
    }
    return authorities;
}

std::vector<Case> cases() {
    std::vector<Case> made;
    for (int depth = 0; depth <= 2; ++depth) {
        const std::string chain = "Depth" + std::to_string(depth) + "_";
        made.push_back({chain + "Sound", soundAuthorities(depth), signerOptions(), currentCrl});
        for (int level = 0; level <= depth; ++level) {
            for (const Variation& variation : authorityVariations()) {
                Case c{chain + "Authority" + std::to_string(level) + variation.name, soundAuthorities(depth),
                       signerOptions(), currentCrl, level == depth ? variation.disagreement : ""};
                variation.change(c.authorities[static_cast<std::size_t>(level)]);
                made.push_back(c);
            }
        }
        for (const Variation& variation : signerVariations()) {
            Case c{chain + "Signer" + variation.name, soundAuthorities(depth), signerOptions(), currentCrl,
                   variation.disagreement};
            variation.change(c.signer);
            made.push_back(c);
        }
        if (depth == 2) {
            continue;
        }
        for (const CrlVariation& variation : crlVariations()) {
            for (const bool listed : {false, true}) {
                Case c{chain + "Crl" + variation.name + (listed ? "ListingTheSigner" : ""),
                       soundAuthorities(depth), signerOptions(), currentCrl,
                       listed ? variation.listedDisagreement : variation.unlistedDisagreement};
                if (listed) {
                    c.crl.revokedSerials.push_back(signerSerial);
                }
                variation.change(c.crl);
                made.push_back(c);
            }
        }
        made.push_back({chain + "CrlEmpty", soundAuthorities(depth), signerOptions(),
                        CrlOptions{.pem = true, .lastUpdateOffset = -day}, emptyListClearsNobody});
        // A listing counts whatever key usage the list's signer has.
        Case withoutCrlSigning{chain + "CrlByAnIssuerWithoutCrlSigningListingTheSigner",
                               soundAuthorities(depth), signerOptions(), currentCrl};
        withoutCrlSigning.authorities.back().keyUsage = "critical,keyCertSign";
        withoutCrlSigning.crl.revokedSerials.push_back(signerSerial);
        made.push_back(withoutCrlSigning);
    }
    made.push_back({"Depth5_Sound", soundAuthorities(5), signerOptions(), currentCrl});
    made.push_back({"Depth6_Sound", soundAuthorities(6), signerOptions(), currentCrl, depthLimit});
    return made;
}

std::string certtoolPath() {
    std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
    for (std::string directory; std::getline(path, directory, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(directory) / "certtool";
        if (!directory.empty() && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return {};
}

// What a judge holds against the signer, in words both judges share; empty for trusted and not
// revoked.
using Objections = std::set<std::string>;

const std::set<std::string> revocationWords{"revoked", "crl-stale", "crl-not-yet-valid"};

Objections ourObjections(const SignerFacts& facts) {
    Objections objections;
    static const std::map<ChainProblem, std::string> chainWords{
        {ChainProblem::UnknownAuthority, "unknown-authority"},
        {ChainProblem::ExpiredAuthority, "expired"},
        {ChainProblem::NotYetValidAuthority, "not-yet-valid"},
        {ChainProblem::WeakAlgorithm, "weak-algorithm"},
        {ChainProblem::NotACa, "not-a-ca"},
        {ChainProblem::UnfitForSigning, "unfit-for-signing"},
        {ChainProblem::TooLong, "too-long"}};
    if (facts.chainProblem != ChainProblem::None) {
        objections.insert(chainWords.at(facts.chainProblem));
    }
    if (facts.expired) {
        objections.insert("expired");
    }
    if (facts.notYetValid) {
        objections.insert("not-yet-valid");
    }
    if (facts.revocation == RevocationStatus::Revoked) {
        objections.insert("revoked");
    } else if (facts.revocation != RevocationStatus::NotRevoked) {
        const CrlProblem problem = facts.crl ? facts.crl->problem : CrlProblem::Unreadable;
        objections.insert(problem == CrlProblem::None ? std::string("crl-unknown")
                                                      : "crl-" + std::string(crlProblemName(problem)));
    }
    return objections;
}

// certtool's last line: "Chain verification output: Verified. ..." or "Not verified. ..." with a
// sentence per reason.
Objections certtoolObjections(const std::string& output) {
    const std::string marker = "Chain verification output: ";
    const std::size_t at = output.rfind(marker);
    if (at == std::string::npos) {
        return {"no verdict: " + output};
    }
    const std::string verdict = output.substr(at + marker.size(), output.find('\n', at) - at - marker.size());
    if (verdict.starts_with("Verified.")) {
        return {};
    }
    static const std::vector<std::pair<std::string, std::string>> words{
        {"is revoked", "revoked"},
        {"expired certificate", "expired"},
        {"not yet valid certificate", "not-yet-valid"},
        {"not yet activated", "not-yet-valid"},
        {"insecure algorithm", "weak-algorithm"},
        {"issuer is unknown", "unknown-authority"},
        {"signer could not be found", "unknown-authority"},
        {"is not a CA", "not-a-ca"},
        {"signer's constraints", "not-a-ca"},
        {"intended purpose", "unfit-for-signing"},
        {"superseded", "crl-stale"},
        {"future date", "crl-not-yet-valid"},
        {"NOT trusted", ""},
        {"Not verified", ""},
    };
    Objections objections;
    std::istringstream sentences(verdict);
    for (std::string sentence; std::getline(sentences, sentence, '.');) {
        if (sentence.find_first_not_of(' ') == std::string::npos) {
            continue;
        }
        std::string word = "other: " + sentence;
        for (const auto& [phrase, named] : words) {
            if (sentence.find(phrase) != std::string::npos) {
                word = named;
                break;
            }
        }
        if (!word.empty()) {
            objections.insert(word);
        }
    }
    return objections;
}

std::string listed(const Objections& objections) {
    std::string text;
    for (const std::string& objection : objections) {
        text += (text.empty() ? "" : ", ") + objection;
    }
    return text.empty() ? "trusted, not revoked" : text;
}

TEST(ChainAgainstCerttool, NoDisagreementInTheSignersFavour) {
    const std::string certtool = certtoolPath();
    if (certtool.empty()) {
        GTEST_SKIP() << "certtool (gnutls-bin) is not installed";
    }
    const FixedClock clock(std::time(nullptr));
    const std::vector<Case> table = cases();
    std::map<std::string, int> disagreements;
    for (const Case& c : table) {
        SCOPED_TRACE(c.name);
        const TempDir directory;
        std::vector<Identity> issuers;
        for (const CertificateOptions& options : c.authorities) {
            issuers.push_back(makeIdentity(options, issuers.empty() ? nullptr : &issuers.back()));
        }
        const Identity signer = makeIdentity(c.signer, &issuers.back());
        SignOptions sign{.digest = EVP_sha256()};
        std::string chain = certificatePem(signer.certificate.get());
        for (auto issuer = issuers.rbegin(); issuer != issuers.rend(); ++issuer) {
            sign.extraCertificates.push_back(issuer->certificate.get());
            if (issuer + 1 != issuers.rend()) {
                chain += certificatePem(issuer->certificate.get());
            }
        }
        const std::string rootPath =
            directory.write("root.pem", certificatePem(issuers.front().certificate.get()));
        const std::string crlPath = directory.write("list.crl", makeCrl(issuers.back(), c.crl));
        const std::string chainPath = directory.write("chain.pem", chain);

        const X509StorePtr store = makeVerificationStore();
        X509_STORE_add_cert(store.get(), issuers.front().certificate.get());
        const SignedContent result =
            verifySignature(signedLayer("judged", signer, sign), DigestSelector::Sha1,
                            RevocationChoice::Check, crlPath, checkRevocationWithCrlFile, store.get());
        ASSERT_EQ(result.verdict.signers.size(), 1u);
        ASSERT_TRUE(result.verdict.signers[0].signatureValid);
        const Objections ours = ourObjections(result.verdict.signers[0]);

        const ChildEnd end =
            runProgram({certtool, "--verify", "--verify-profile=low", "--verify-purpose=" + emailProtection,
                        "--load-ca-certificate", rootPath, "--load-crl", crlPath, "--infile", chainPath},
                       directory.path());
        const Objections theirs = certtoolObjections(directory.read(".stdout") + directory.read(".stderr"));
        EXPECT_EQ(end.exitStatus == 0, theirs.empty());

        // In the signer's favour: we trust a chain certtool does not, or clear a signer it does not.
        bool oursTrusted = true;
        for (const std::string& objection : ours) {
            oursTrusted = oursTrusted && (objection == "revoked" || objection.starts_with("crl-"));
        }
        bool theirsTrusted = true;
        bool theirsRevocation = false;
        for (const std::string& objection : theirs) {
            const bool aboutTheList = revocationWords.contains(objection);
            theirsTrusted = theirsTrusted && aboutTheList;
            theirsRevocation = theirsRevocation || aboutTheList;
        }
        EXPECT_FALSE(oursTrusted && !theirsTrusted)
            << "we trust the chain; certtool: " << listed(theirs) << "; we: " << listed(ours);
        EXPECT_FALSE(result.verdict.signers[0].revocation == RevocationStatus::NotRevoked && theirsRevocation)
            << "we clear the signer; certtool: " << listed(theirs);

        if (ours != theirs) {
            ++disagreements[listed(ours) + " / certtool: " + listed(theirs)];
        }
        EXPECT_EQ(ours != theirs, !c.disagreement.empty())
            << "we: " << listed(ours) << "; certtool: " << listed(theirs);
    }
    std::ostringstream summary;
    summary << table.size() << " cases\n";
    for (const auto& [kind, count] : disagreements) {
        summary << count << " x we: " << kind << "\n";
    }
    std::cout << summary.str();
}

} // namespace
