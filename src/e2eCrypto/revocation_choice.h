#pragma once
// Whether a verification looks the signer certificate up in a CRL file: the form's "Yes" (Check) or
// "No" (Skip). Skip leaves the revocation status unknown.
enum class RevocationChoice { Check, Skip };
