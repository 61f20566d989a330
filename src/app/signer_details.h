#pragma once
// The facts the signature checks found about each signer, as the Details part of the signature
// result dialog shows them: one line per fact, the same facts a script reads from the command line.
#include "e2eCrypto/signature_verdict.h"

#include <QString>

#include <vector>

QString signerDetailsText(const std::vector<SignerFacts>& signers);
