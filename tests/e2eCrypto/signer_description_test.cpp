#include "e2eCrypto/signer_description.h"

#include "e2eCrypto/subject_line.h"
#include "support/document_writer.h"

#include <gtest/gtest.h>

namespace {

using namespace testdoc;

struct SubjectCase {
    const char* name;
    std::string subject;
    std::string lines; // the four lines before the expiry line
};

class SignerLines : public ::testing::TestWithParam<SubjectCase> {};

TEST_P(SignerLines, FirstMatchingRuleDecides) {
    const Identity identity = makeIdentity({.subject = GetParam().subject, .notAfter = "491231235959Z"});
    VerificationState state;
    std::string description;
    const RevocationCheck noCheck;
    const int result = describeSigner(identity.certificate.get(), nullptr,
                                      {RevocationChoice::Skip, "", noCheck, nullptr, std::time(nullptr)},
                                      state, description);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(description, GetParam().lines + "Certificate expires on: Dec 31 23:59:59 2049 GMT\n");
    EXPECT_FALSE(state.certificateExpired);
    EXPECT_FALSE(state.notYetValid);
    EXPECT_TRUE(state.revocationUnknown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SignerLines,
    ::testing::Values(
        SubjectCase{"Complete", "/C=US/O=Acme Ltd/OU=Sales/CN=Test Signer/emailAddress=signer",
                    "CN=Test Signer\nEmail=signer\nO=Acme Ltd\nOU=Sales\n"},
        SubjectCase{"NoEmail", "/C=US/O=Acme Ltd/OU=Sales/CN=Test Signer",
                    "CN=Test Signer\n\nO=Acme Ltd\nOU=Sales\n"},
        // A capital O anywhere makes an organisation line, and "OU" anywhere a unit line.
        SubjectCase{"StateBeforeOrganisation", "/C=CA/ST=ONTARIO/O=Acme Ltd/CN=Test Signer",
                    "CN=Test Signer\n\nST=ONTARIO\n\n"},
        SubjectCase{"OrganisationHoldingOU", "/O=HOUSE/CN=Test Signer", "CN=Test Signer\n\n\nO=HOUSE\n"},
        SubjectCase{"TwoCommonNamesTakeTheLast", "/CN=First/CN=Second", "CN=Second\n\n\n\n"},
        SubjectCase{"TwoUnitsTakeTheFirst", "/O=Acme/OU=One/OU=Two/CN=x", "CN=x\n\nO=Acme\nOU=One\n"},
        SubjectCase{"Empty", "", "\n\n\n\n"},
        SubjectCase{"Utf8NamesAsWritten", "/C=PL/O=Zakład Łódź/CN=Łukasz Żółć/emailAddress=lz@example.pl",
                    "CN=Łukasz Żółć\nEmail=lz@example.pl\nO=Zakład Łódź\n\n"},
        SubjectCase{"ControlCharactersStayEscaped", "/O=Two\nLines/CN=Tab\tName",
                    "CN=Tab\\x09Name\n\nO=Two\\x0ALines\n\n"},
        // The attribute the 255-byte limit cuts is shown as far as it goes, never as a blank line.
        SubjectCase{"CommonNameCutByTheLimit",
                    "/L=" + std::string(120, 'l') + "/ST=" + std::string(120, 's') +
                        "/CN=" + std::string(14, 'n'),
                    "CN=nnnn\n\n\n\n"},
        SubjectCase{"EmailCutByTheLimit",
                    "/L=" + std::string(120, 'l') + "/ST=" + std::string(80, 's') + "/CN=" +
                        std::string(26, 'n') + "/emailAddress=signer" + std::string(18, 'x') + "@example.com",
                    "CN=" + std::string(26, 'n') + "\nEmail=signerxxxxx\n\n\n"}),
    [](const auto& info) { return std::string(info.param.name); });

using X509NamePtr = std::unique_ptr<X509_NAME, OpenSslDeleter<X509_NAME_free>>;

X509_NAME* nameOf(const Identity& identity) {
    return X509_get_subject_name(identity.certificate.get());
}

TEST(SubjectOneLine, WritesTheEmailAttributeShort) {
    const Identity identity = makeIdentity({.subject = "/CN=a/emailAddress=x@y/OU=emailAddress=z"});
    EXPECT_EQ(subjectOneLine(nameOf(identity)), "/CN=a/Email=x@y/OU=emailAddress=z");
}

TEST(SubjectOneLine, ShowsEveryStringTypeAsUtf8AndEscapesWhatIsNotWellFormed) {
    X509NamePtr name(X509_NAME_new());
    const auto add = [&name](int type, std::string_view bytes) {
        ASSERT_EQ(X509_NAME_add_entry_by_txt(name.get(), "CN", type,
                                             reinterpret_cast<const unsigned char*>(bytes.data()),
                                             static_cast<int>(bytes.size()), -1, 0),
                  1);
    };
    add(V_ASN1_BMPSTRING, std::string_view("\x01\x41\x00z", 4));
    add(V_ASN1_T61STRING, "Jos\xE9");
    add(V_ASN1_UTF8STRING, "bad \xC5 byte");
    EXPECT_EQ(subjectOneLine(name.get()), "/CN=Łz/CN=José/CN=bad \\xC5 byte");
}

TEST(SubjectOneLine, CutsTheLastAttributeAtTheLimitBetweenCharacters) {
    const Identity identity =
        makeIdentity({.subject = "/C=US/ST=ONTARIO/O=Acme Ltd/OU=Sales/CN=Test Signer"});
    EXPECT_EQ(subjectOneLine(nameOf(identity), 40), "/C=US/ST=ONTARIO/O=Acme Ltd/OU=Sales/CN=");
    EXPECT_EQ(subjectOneLine(nameOf(identity), 35), "/C=US/ST=ONTARIO/O=Acme Ltd/OU=Sale");
    // Neither a UTF-8 character nor an escape is split.
    const Identity escaped = makeIdentity({.subject = "/CN=a\tŁb"});
    EXPECT_EQ(subjectOneLine(nameOf(escaped), 7), "/CN=a");
    EXPECT_EQ(subjectOneLine(nameOf(escaped), 10), "/CN=a\\x09");
    EXPECT_EQ(subjectOneLine(nameOf(escaped), 11), "/CN=a\\x09Ł");

    // The limit applies after the e-mail attribute is shortened: 245 + 10 characters fit exactly.
    const std::string unit = "/OU=" + std::string(60, 'u');
    const std::string prefix = unit + unit + unit + "/CN=" + std::string(49, 'n');
    const Identity withEmail = makeIdentity({.subject = prefix + "/emailAddress=a@b"});
    EXPECT_EQ(subjectOneLine(nameOf(withEmail)), prefix + "/Email=a@b");
    const Identity oneTooLong = makeIdentity({.subject = prefix + "/emailAddress=ab@b"});
    EXPECT_EQ(subjectOneLine(nameOf(oneTooLong)), prefix + "/Email=ab@");
}

// The data form: whole, and a value can never read as two attributes or as an escape.
TEST(NameAttributes, AreWholeAndHaveOneReading) {
    const std::string longName(300, 'u');
    const Identity identity =
        makeIdentity({.subject = "/CN=a\\/CN=x\\x0A/CN=c\nd/GN=" + longName + "/emailAddress=e@x"});
    const std::vector<NameAttribute> attributes = nameAttributes(nameOf(identity));
    ASSERT_EQ(attributes.size(), 4u);
    EXPECT_EQ(attributes[0].name, "CN");
    EXPECT_EQ(attributes[0].value, "a/CN=x\\x0A");
    EXPECT_EQ(attributes[1].value, "c\nd");
    EXPECT_EQ(attributes[2].value, longName);
    EXPECT_EQ(attributes[3].name, "emailAddress");
    EXPECT_EQ(wholeName(attributes), "/CN=a\\/CN=x\\\\x0A/CN=c\\x0Ad/GN=" + longName + "/Email=e@x");

    X509NamePtr bad(X509_NAME_new());
    ASSERT_EQ(X509_NAME_add_entry_by_txt(bad.get(), "CN", V_ASN1_UTF8STRING,
                                         reinterpret_cast<const unsigned char*>("b\xC5"), 2, -1, 0),
              1);
    EXPECT_EQ(nameAttributes(bad.get()).at(0).value, "b\uFFFD");
}

} // namespace
