#include "e2eCrypto/certificate_time.h"

#include "e2eCrypto/openssl_handles.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct FormatCase {
    int type;
    std::string bytes;
    std::string expected;
};

class FormatCertificateTime : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatCertificateTime, RendersOrRefuses) {
    EXPECT_EQ(formatCertificateTime(GetParam().type, GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatCertificateTime,
    ::testing::Values(FormatCase{V_ASN1_UTCTIME, "491231235959Z", "Dec 31 23:59:59 2049 GMT"},
                      // two-digit years from 50 on are the 1900s; the day is right-aligned in two places
                      FormatCase{V_ASN1_UTCTIME, "500101000000Z", "Jan  1 00:00:00 1950 GMT"},
                      FormatCase{V_ASN1_UTCTIME, "0312312359Z", "Dec 31 23:59:00 2003 GMT"},
                      FormatCase{V_ASN1_UTCTIME, "0312312359", "Dec 31 23:59:00 2003"},
                      FormatCase{V_ASN1_UTCTIME, "031231235959+0100", "Dec 31 23:59:59 2003"},
                      FormatCase{V_ASN1_UTCTIME, "03123123595Z",
                                 "Dec 31 23:59:00 2003 GMT"}, // one seconds digit
                      FormatCase{V_ASN1_UTCTIME, "0312", "UNKNOWN FORMAT"},
                      FormatCase{V_ASN1_UTCTIME, "", "UNKNOWN FORMAT"},
                      FormatCase{V_ASN1_UTCTIME, "031399000000Z", "UNKNOWN FORMAT"},
                      FormatCase{V_ASN1_UTCTIME, "030099000000Z", "UNKNOWN FORMAT"},
                      FormatCase{V_ASN1_UTCTIME, "03123123x9Z", "UNKNOWN FORMAT"},
                      // day, hour and minute are printed as found
                      FormatCase{V_ASN1_UTCTIME, "031299999999Z", "Dec 99 99:99:99 2003 GMT"},
                      FormatCase{V_ASN1_GENERALIZEDTIME, "20501231235959Z", "Dec 31 23:59:59 2050 GMT"},
                      FormatCase{V_ASN1_GENERALIZEDTIME, "205012312359Z", "Dec 31 23:59:00 2050 GMT"},
                      FormatCase{V_ASN1_GENERALIZEDTIME, "19990704120000.5Z", "Jul  4 12:00:00 1999 GMT"},
                      FormatCase{V_ASN1_GENERALIZEDTIME, "20501231235", "UNKNOWN FORMAT"},
                      FormatCase{V_ASN1_GENERALIZEDTIME, "20501331235959Z", "UNKNOWN FORMAT"},
                      FormatCase{V_ASN1_OCTET_STRING, "491231235959Z", "UNKNOWN FORMAT"}));

Asn1TimePtr timeOf(int type, const std::string& text) {
    Asn1TimePtr time(ASN1_STRING_type_new(type));
    ASN1_STRING_set(time.get(), text.data(), static_cast<int>(text.size()));
    return time;
}

TEST(FormatCertificateTime, ReadsTheLibraryTimeObject) {
    EXPECT_EQ(formatCertificateTime(timeOf(V_ASN1_UTCTIME, "491231235959Z").get()),
              "Dec 31 23:59:59 2049 GMT");
    EXPECT_EQ(formatCertificateTime(nullptr), "UNKNOWN FORMAT");
}

struct CompareCase {
    int type;
    std::string text;
    int expected;
};

class CompareWithTime : public ::testing::TestWithParam<CompareCase> {};

// 2003-12-31 23:59:30 UTC
constexpr std::time_t referenceMoment = 1072915170;

TEST_P(CompareWithTime, OrdersAgainstTheMoment) {
    EXPECT_EQ(compareWithTime(timeOf(GetParam().type, GetParam().text).get(), referenceMoment),
              GetParam().expected)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareWithTime,
    ::testing::Values(
        // the very second counts as past
        CompareCase{V_ASN1_UTCTIME, "031231235930Z", -1}, CompareCase{V_ASN1_UTCTIME, "031231235931Z", 1},
        CompareCase{V_ASN1_UTCTIME, "031231235929Z", -1},
        // older forms: no seconds, a time-zone offset
        CompareCase{V_ASN1_UTCTIME, "0312312359Z", -1}, CompareCase{V_ASN1_UTCTIME, "0401010000Z", 1},
        CompareCase{V_ASN1_UTCTIME, "040101003000+0100", -1},
        CompareCase{V_ASN1_UTCTIME, "031231233000-0100", 1},
        // 50 to 99 are the 1900s
        CompareCase{V_ASN1_UTCTIME, "990101000000Z", -1}, CompareCase{V_ASN1_UTCTIME, "490101000000Z", 1},
        CompareCase{V_ASN1_GENERALIZEDTIME, "20501231235959Z", 1},
        CompareCase{V_ASN1_GENERALIZEDTIME, "20031231235930Z", -1},
        // GeneralizedTime without seconds, with fractions, with offsets
        CompareCase{V_ASN1_GENERALIZEDTIME, "200312312359Z", -1},
        CompareCase{V_ASN1_GENERALIZEDTIME, "20031231235929.999Z", -1},
        CompareCase{V_ASN1_GENERALIZEDTIME, "20040101003000+0100", -1},
        CompareCase{V_ASN1_GENERALIZEDTIME, "20031231233000.5-0100", 1},
        CompareCase{V_ASN1_GENERALIZEDTIME, "20031231235959", 0},
        // unreadable
        CompareCase{V_ASN1_UTCTIME, "garbage", 0}, CompareCase{V_ASN1_UTCTIME, "031399000000Z", 0}));

TEST(CompareWithTime, MissingTimeIsUnreadable) {
    EXPECT_EQ(compareWithTime(nullptr, referenceMoment), 0);
}

TEST(CertificateTime, IsoFormAndTheFormAsWritten) {
    EXPECT_EQ(isoUtcTime(timeOf(V_ASN1_UTCTIME, "491231235959Z").get()), "2049-12-31T23:59:59Z");
    EXPECT_EQ(isoUtcTime(timeOf(V_ASN1_GENERALIZEDTIME, "20501231235959.5+0130").get()),
              "2050-12-31T22:29:59Z");
    EXPECT_EQ(isoUtcTime(timeOf(V_ASN1_UTCTIME, "031399000000Z").get()), "");
    EXPECT_EQ(certificateTimeAsWritten(timeOf(V_ASN1_UTCTIME, std::string("0313\x01\xC3", 6)).get()),
              "0313\\x01\\xC3");
}

} // namespace
