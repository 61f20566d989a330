#include "certs/crl_scope.h"

#include "e2eCrypto/openssl_handles.h"

#include <openssl/x509v3.h>

#include <algorithm>
#include <initializer_list>

namespace {

using IssuingDistPointPtr = std::unique_ptr<ISSUING_DIST_POINT, OpenSslDeleter<ISSUING_DIST_POINT_free>>;
using DistPointsPtr = std::unique_ptr<CRL_DIST_POINTS, OpenSslDeleter<CRL_DIST_POINTS_free>>;

bool anyUnknownCritical(const STACK_OF(X509_EXTENSION) * extensions, std::initializer_list<int> known) {
    for (int i = 0; i < sk_X509_EXTENSION_num(extensions); ++i) {
        X509_EXTENSION* extension = sk_X509_EXTENSION_value(extensions, i);
        const int nid = OBJ_obj2nid(X509_EXTENSION_get_object(extension));
        if (X509_EXTENSION_get_critical(extension) != 0 &&
            std::find(known.begin(), known.end(), nid) == known.end()) {
            return true;
        }
    }
    return false;
}

bool unknownCriticalExtension(X509_CRL& crl) {
    if (anyUnknownCritical(X509_CRL_get0_extensions(&crl),
                           {NID_crl_number, NID_authority_key_identifier, NID_issuer_alt_name,
                            NID_issuing_distribution_point, NID_delta_crl})) {
        return true;
    }
    STACK_OF(X509_REVOKED)* entries = X509_CRL_get_REVOKED(&crl);
    for (int i = 0; i < sk_X509_REVOKED_num(entries); ++i) {
        if (anyUnknownCritical(
                X509_REVOKED_get0_extensions(sk_X509_REVOKED_value(entries, i)),
                {NID_crl_reason, NID_invalidity_date, NID_certificate_issuer, NID_hold_instruction_code})) {
            return true;
        }
    }
    return false;
}

bool sharesAName(const GENERAL_NAMES* these, const GENERAL_NAMES* those) {
    for (int i = 0; i < sk_GENERAL_NAME_num(these); ++i) {
        for (int j = 0; j < sk_GENERAL_NAME_num(those); ++j) {
            if (GENERAL_NAME_cmp(sk_GENERAL_NAME_value(these, i), sk_GENERAL_NAME_value(those, j)) == 0) {
                return true;
            }
        }
    }
    return false;
}

// A list for one partition covers the certificates that name that partition's distribution point.
bool certificateNamesThePoint(const DIST_POINT_NAME& point, X509& certificate) {
    if (point.type != 0) {
        return false; // a name relative to the issuer: not matched, so never taken as complete
    }
    const DistPointsPtr named(static_cast<CRL_DIST_POINTS*>(
        X509_get_ext_d2i(&certificate, NID_crl_distribution_points, nullptr, nullptr)));
    for (int i = 0; named && i < sk_DIST_POINT_num(named.get()); ++i) {
        const DIST_POINT_NAME* own = sk_DIST_POINT_value(named.get(), i)->distpoint;
        if (own != nullptr && own->type == 0 && sharesAName(own->name.fullname, point.name.fullname)) {
            return true;
        }
    }
    return false;
}

const char* distributionPointLimit(X509_CRL& crl, X509& certificate) {
    int found = 0;
    const IssuingDistPointPtr point(static_cast<ISSUING_DIST_POINT*>(
        X509_CRL_get_ext_d2i(&crl, NID_issuing_distribution_point, &found, nullptr)));
    if (!point) {
        return found == -1 ? nullptr : "CRL issuing distribution point cannot be read";
    }
    const bool isCa = (X509_get_extension_flags(&certificate) & EXFLAG_CA) != 0;
    if ((point->onlyuser > 0 && isCa) || (point->onlyCA > 0 && !isCa) || point->onlyattr > 0) {
        return "CRL covers only certificates of another kind";
    }
    if (point->onlysomereasons != nullptr) {
        return "CRL covers only some reasons for revocation";
    }
    if (point->indirectCRL > 0) {
        return "CRL is indirect";
    }
    if (point->distpoint != nullptr && !certificateNamesThePoint(*point->distpoint, certificate)) {
        return "CRL covers another distribution point";
    }
    return nullptr;
}

} // namespace

const char* crlScopeLimit(X509_CRL& crl, X509& certificate) {
    if (X509_CRL_get_ext_by_NID(&crl, NID_delta_crl, -1) >= 0) {
        return "CRL holds only the changes since another list";
    }
    if (unknownCriticalExtension(crl)) {
        return "CRL carries a critical extension that cannot be judged";
    }
    return distributionPointLimit(crl, certificate);
}
