// Finding the content in the DER of an envelope or a signedData: where it is found, the structure
// without it parses and the content is exactly what the library reads from the whole DER; anything
// laid out otherwise is left to the library whole.
#include "e2eCrypto/detached_content.h"
#include "e2eCrypto/openssl_handles.h"
#include "support/document_writer.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const testdoc::Identity& recipient() {
    static const testdoc::Identity identity = testdoc::makeIdentity({.keyIndex = 3, .keyBits = 1024});
    return identity;
}

CmsPtr parsed(std::string_view der) {
    const auto* cursor = reinterpret_cast<const unsigned char*>(der.data());
    return CmsPtr(d2i_CMS_ContentInfo(nullptr, &cursor, static_cast<long>(der.size())));
}

std::string_view contentOf(CMS_ContentInfo& structure) {
    const ASN1_OCTET_STRING* content = *CMS_get0_content(&structure);
    return {reinterpret_cast<const char*>(ASN1_STRING_get0_data(content)),
            static_cast<std::size_t>(ASN1_STRING_length(content))};
}

enum class Kind { Envelope, Signed };

struct DetachCase {
    const char* name;
    Kind kind;
    std::function<std::string()> der;
    bool detached;
};

class DetachContent : public testing::TestWithParam<DetachCase> {};

TEST_P(DetachContent, FindsTheContentOnlyWhereItIsPlain) {
    const std::string der = GetParam().der();
    const std::optional<DetachedContent> detached =
        GetParam().kind == Kind::Envelope ? detachEnvelopeContent(der) : detachSignedContent(der);
    ASSERT_EQ(detached.has_value(), GetParam().detached);
    if (!detached) {
        return;
    }
    const CmsPtr whole = parsed(der);
    const CmsPtr skeleton = parsed(detached->skeleton);
    ASSERT_TRUE(whole && skeleton);
    EXPECT_EQ(der.substr(detached->offset, detached->length), contentOf(*whole));
    EXPECT_TRUE(contentOf(*skeleton).empty());
}

std::string envelope(std::size_t size, testdoc::ContentCipher cipher = testdoc::ContentCipher::Aes256Cbc) {
    return testdoc::envelopedDataDer(std::string(size, 'x'), {recipient().certificate.get()}, cipher);
}

std::string signedData(std::size_t size, const testdoc::SignOptions& options = {}) {
    return testdoc::signedDataDer(std::string(size, 'x'), recipient(), options);
}

// The same ContentInfo with an indefinite length of its own.
std::string indefinite(const std::string& der) {
    const std::size_t header = 2 + ((der[1] & 0x80) != 0 ? der[1] & 0x7F : 0);
    return "\x30\x80" + der.substr(header) + std::string(2, '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DetachContent,
    testing::Values(
        DetachCase{"ShortContent", Kind::Envelope, [] { return envelope(5); }, true},
        // lengths of one, two and three bytes on the way down
        DetachCase{"LargeContent", Kind::Envelope,
                   [] { return envelope(70000, testdoc::ContentCipher::DesEde3Cbc); }, true},
        DetachCase{"WithTrailingBytes", Kind::Envelope, [] { return envelope(300) + "trailing"; }, true},
        DetachCase{"CmsTools", Kind::Envelope,
                   [] { return testdoc::cmsEnvelopedDataDer("content", {recipient().certificate.get()}); },
                   true},
        DetachCase{"SignedData", Kind::Envelope, [] { return signedData(7); }, false},
        DetachCase{"Truncated", Kind::Envelope, [] { return envelope(300).substr(0, 200); }, false},
        DetachCase{"NotDer", Kind::Envelope, [] { return std::string("\x30\x80\x06\x09", 4); }, false},
        DetachCase{"SignedShort", Kind::Signed, [] { return signedData(7); }, true},
        DetachCase{"SignedLarge", Kind::Signed, [] { return signedData(70000); }, true},
        DetachCase{"SignedEmpty", Kind::Signed, [] { return signedData(7, {.emptyContent = true}); }, true},
        DetachCase{"SignedWithTrailingBytes", Kind::Signed, [] { return signedData(300) + "trailing"; },
                   true},
        // no content to find, or content the library reads otherwise: the whole DER decides
        DetachCase{"SignedDetached", Kind::Signed, [] { return signedData(7, {.detached = true}); }, false},
        DetachCase{"SignedStreamed", Kind::Signed, [] { return signedData(300, {.streamed = true}); }, false},
        DetachCase{"SignedIndefinite", Kind::Signed, [] { return indefinite(signedData(300)); }, false},
        DetachCase{"SignedTruncated", Kind::Signed, [] { return signedData(300).substr(0, 200); }, false},
        DetachCase{"EnvelopeAsSigned", Kind::Signed, [] { return envelope(5); }, false}),
    [](const testing::TestParamInfo<DetachCase>& info) { return info.param.name; });

} // namespace
