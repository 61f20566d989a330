#include "e2eCrypto/envelope_format.h"

#include "e2eCrypto/base64.h"
#include "e2eCrypto/error_records.h"
#include "support/document_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

const std::string begin(envelope::pkcs7Begin);
const std::string end(envelope::pkcs7End);
const std::string decodeError = "Error in decoding. Format is invalid";

// The message of the errorDef::error_message that call throws, or a marker when it throws nothing.
std::string thrownMessage(const std::function<void()>& call) {
    try {
        call();
    } catch (const errorDef::error_message& error) {
        return error.message;
    }
    return "<nothing thrown>";
}

struct ClassifyCase {
    const char* name;
    std::string content;
    std::optional<EnvelopeKind> kind; // the result, or nothing when error is thrown
    std::string error{};
};

class ClassifyEnvelope : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyEnvelope, NamesTheOutermostLayerOrThrows) {
    const ClassifyCase& c = GetParam();
    if (c.kind) {
        EXPECT_EQ(classifyEnvelope(c.content), *c.kind);
    } else {
        EXPECT_EQ(thrownMessage([&] { classifyEnvelope(c.content); }), c.error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layers, ClassifyEnvelope,
    ::testing::Values(
        ClassifyCase{"SymmetricMarkerAlone", "-----SYMMETRIC-----", EnvelopeKind::Symmetric},
        ClassifyCase{"SymmetricWithoutSeparators", "-----SYMMETRIC-----no separators at all",
                     EnvelopeKind::Symmetric},
        // the prefix markers win even over a broken armour further on
        ClassifyCase{"SymmetricHoldingBrokenArmour", "-----SYMMETRIC-----Q1||" + begin + "!!",
                     EnvelopeKind::Symmetric},
        ClassifyCase{"SymmetricAfterBlankLine", "\r\n-----SYMMETRIC-----Q1|x|y", EnvelopeKind::Unrecognised},
        ClassifyCase{"SymmetricAfterZeroByte", std::string("\0-----SYMMETRIC-----", 20),
                     EnvelopeKind::Unrecognised},
        ClassifyCase{"AsymmetricMarkerAlone", "-----ID353-3CBC-----@@", EnvelopeKind::Asymmetric},
        ClassifyCase{"AsymmetricHoldingArmour", "-----ID353-3CBC-----@@QUJD@@" + begin + "\r\n!!",
                     EnvelopeKind::Asymmetric},
        ClassifyCase{"AsymmetricMarkerCutShort", "-----ID353-3CBC-----@", EnvelopeKind::Unrecognised},
        ClassifyCase{"EmptyFile", "", EnvelopeKind::Unrecognised},
        ClassifyCase{"PlainText", "Dear customer,\r\nplease find the figures below.\r\n",
                     EnvelopeKind::Unrecognised},
        ClassifyCase{"EndMarkerOnly", "text " + end, EnvelopeKind::Unrecognised},
        ClassifyCase{"ArmourWithCrLf", begin + "\r\nYWJj\r\nZGVm\r\n" + end + "\r\n", EnvelopeKind::Pkcs7},
        ClassifyCase{"ArmourWithLf", begin + "\nYWJj\nZGVm\n" + end + "\n", EnvelopeKind::Pkcs7},
        ClassifyCase{"ArmourWithCr", begin + "\rYWJj\rZGVm\r" + end + "\r", EnvelopeKind::Pkcs7},
        ClassifyCase{"ArmourWithoutLineBreaks", begin + "YWJj" + end, EnvelopeKind::Pkcs7},
        ClassifyCase{"ArmourWithEmptyBody", begin + end, EnvelopeKind::Pkcs7},
        // after a padded body nothing is looked at
        ClassifyCase{"JunkAfterPaddedBody", begin + "\r\nYWI=\r\n" + end + " trailing junk -",
                     EnvelopeKind::Pkcs7},
        ClassifyCase{"JunkAfterUnpaddedBody", begin + "\r\nYWJj\r\n" + end + " junk", std::nullopt,
                     decodeError},
        ClassifyCase{"BeginAfterLeadingText", "Signed:\r\n" + begin + "\r\nYWJj\r\n" + end, std::nullopt,
                     decodeError},
        ClassifyCase{"SpaceInBody", begin + "\r\nYW Jj\r\n" + end, std::nullopt, decodeError},
        ClassifyCase{"BeginWithoutEnd", begin + "\r\nYWJj\r\n", std::nullopt, "Invalid PKCS7 format"},
        ClassifyCase{"EndMarkerCutShort", begin + "\r\nYWJj\r\n-----END PKCS7----", std::nullopt,
                     "Invalid PKCS7 format"},
        // an END marker that ends before byte 21 is not seen
        ClassifyCase{"EndOnlyBeforeByte21", end + "ab" + begin + "YWJj", std::nullopt,
                     "Invalid PKCS7 format"}),
    [](const ::testing::TestParamInfo<ClassifyCase>& info) { return std::string(info.param.name); });

TEST(ClassifyEnvelope, RecognisesEveryLayerTheWriterMakes) {
    const testdoc::Identity identity = testdoc::makeIdentity({});
    const std::string plain = "plain content";
    EXPECT_EQ(classifyEnvelope(testdoc::signedLayer(plain, identity)), EnvelopeKind::Pkcs7);
    EXPECT_EQ(classifyEnvelope(testdoc::signedLayer(plain, identity, {.detached = true})),
              EnvelopeKind::Pkcs7);
    EXPECT_EQ(classifyEnvelope(testdoc::asymmetricLayer(plain, identity.certificate.get())),
              EnvelopeKind::Asymmetric);
    EXPECT_EQ(classifyEnvelope(testdoc::symmetricLayer(plain, "pass")), EnvelopeKind::Symmetric);
    for (const std::string_view lineBreak : {"\r\n", "\n", "\r"}) {
        EXPECT_EQ(classifyEnvelope(testdoc::armour(testdoc::signedDataDer(plain, identity), lineBreak)),
                  EnvelopeKind::Pkcs7);
    }
}

struct ArmourCase {
    const char* name;
    std::string layer;
    std::string result; // the decoded bytes, or the message thrown
};

class DecodePkcs7Armour : public ::testing::TestWithParam<ArmourCase> {};

TEST_P(DecodePkcs7Armour, DecodesOrThrowsTheCallersMessage) {
    std::string decoded;
    const std::string message =
        thrownMessage([&] { decoded = decodePkcs7Armour(GetParam().layer, "no begin", "no end"); });
    EXPECT_EQ(message == "<nothing thrown>" ? decoded : message, GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Armours, DecodePkcs7Armour,
    ::testing::Values(ArmourCase{"Body", begin + "\r\nYWJj\r\n" + end + "\r\n", "abc"},
                      // bytes after the END marker are decoded as part of the body
                      ArmourCase{"BodyAroundEnd", begin + "YW" + end + "Jj", "abc"},
                      ArmourCase{"ZeroBytesKept", begin + "AGEA\r\n" + end, std::string("\0a\0", 3)},
                      ArmourCase{"NoBegin", "YWJj" + end, "no begin"},
                      ArmourCase{"EmptyLayer", "", "no begin"}, ArmourCase{"NoEnd", begin + "YWJj", "no end"},
                      ArmourCase{"BadByte", begin + "YW-Jj" + end, decodeError}),
    [](const ::testing::TestParamInfo<ArmourCase>& info) { return std::string(info.param.name); });

TEST(DecodePkcs7Armour, GivesBackTheDerTheWriterArmoured) {
    const testdoc::Identity identity = testdoc::makeIdentity({});
    const std::string der = testdoc::signedDataDer("content", identity);
    EXPECT_EQ(decodePkcs7Armour(testdoc::armour(der), "", ""), der);
}

struct SplitCase {
    const char* name;
    std::string layer;
    std::string checkField;
    std::string body;
};

class SplitSymmetricLayer : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitSymmetricLayer, FindsCheckFieldAndBody) {
    const SymmetricLayer fields = splitSymmetricLayer(GetParam().layer);
    EXPECT_EQ(fields.checkField, GetParam().checkField);
    EXPECT_EQ(fields.body, GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Layers, SplitSymmetricLayer,
    ::testing::Values(SplitCase{"AllFields", "-----SYMMETRIC-----Q1|check\r\n|body", "check\r\n", "body"},
                      SplitCase{"EmptyPrefixAndCheck", "-----SYMMETRIC-----||body", "", "body"},
                      SplitCase{"BodyKeepsLaterSeparators", "-----SYMMETRIC-----p|c|b|d|", "c", "b|d|"},
                      SplitCase{"EmptyBody", "-----SYMMETRIC-----p|c|", "c", ""},
                      SplitCase{"OneSeparator", "-----SYMMETRIC-----p|check and body", "", ""},
                      SplitCase{"NoSeparator", "-----SYMMETRIC-----", "", ""},
                      // the marker's own bytes are never searched
                      SplitCase{"ShorterThanMarker", "a|b|c", "", ""},
                      SplitCase{"ZeroBytes", std::string("-----SYMMETRIC-----\0|\0|\0", 24),
                                std::string("\0", 1), std::string("\0", 1)}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(SplitSymmetricLayer, FieldsOfAWriterLayerAreCheckValueAndCiphertext) {
    const std::string layer = testdoc::symmetricLayer("secret content", "Open Sesame");
    const SymmetricLayer fields = splitSymmetricLayer(layer);
    EXPECT_EQ(fields.checkField, testdoc::passPhraseCheckValue("Open Sesame"));
    EXPECT_EQ(decodeBase64(fields.body), testdoc::passPhraseCiphertext("secret content", "Open Sesame"));
}

} // namespace
