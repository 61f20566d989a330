#include "e2eCrypto/signature_verdict.h"

const char* crlProblemName(CrlProblem problem) {
    switch (problem) {
    case CrlProblem::None:
        break;
    case CrlProblem::Stale:
        return "stale";
    case CrlProblem::NotYetValid:
        return "not-yet-valid";
    case CrlProblem::IssuerCannotSignCrls:
        return "issuer-cannot-sign-crls";
    case CrlProblem::Scope:
        return "scope";
    case CrlProblem::Unreadable:
        return "unreadable";
    }
    return "";
}

const char* chainProblemName(ChainProblem problem) {
    switch (problem) {
    case ChainProblem::None:
        break;
    case ChainProblem::UnknownAuthority:
        return "unknown-authority";
    case ChainProblem::ExpiredAuthority:
        return "expired-authority";
    case ChainProblem::NotYetValidAuthority:
        return "not-yet-valid-authority";
    case ChainProblem::WeakAlgorithm:
        return "weak-algorithm";
    case ChainProblem::NotACa:
        return "not-a-ca";
    case ChainProblem::UnfitForSigning:
        return "unfit-for-signing";
    case ChainProblem::TooLong:
        return "too-long";
    }
    return "";
}

const char* chainProblemWords(ChainProblem problem) {
    switch (problem) {
    case ChainProblem::None:
        break;
    case ChainProblem::UnknownAuthority:
        return "no known authority";
    case ChainProblem::ExpiredAuthority:
        return "an authority's certificate has expired";
    case ChainProblem::NotYetValidAuthority:
        return "an authority's certificate is not yet valid";
    case ChainProblem::WeakAlgorithm:
        return "a weak signature algorithm or key";
    case ChainProblem::NotACa:
        return "a certificate above the signer is no authority";
    case ChainProblem::UnfitForSigning:
        return "a certificate's usage does not allow signing";
    case ChainProblem::TooLong:
        return "the chain is too long";
    }
    return "";
}
