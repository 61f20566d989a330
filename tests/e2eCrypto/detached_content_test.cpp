// Finding the encrypted content in an envelope's DER: where it is found, the structure without it
// parses and the content is exactly what the library reads from the whole DER; anything laid out
// otherwise is left to the library whole.
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

struct DetachCase {
    const char* name;
    std::function<std::string()> der;
    bool detached;
};

class DetachEnvelopeContent : public testing::TestWithParam<DetachCase> {};

TEST_P(DetachEnvelopeContent, FindsTheContentOnlyWhereItIsPlain) {
    const std::string der = GetParam().der();
    const std::optional<DetachedContent> detached = detachEnvelopeContent(der);
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

INSTANTIATE_TEST_SUITE_P(
    Layouts, DetachEnvelopeContent,
    testing::Values(
        DetachCase{"ShortContent", [] { return envelope(5); }, true},
        // lengths of one, two and three bytes on the way down
        DetachCase{"LargeContent", [] { return envelope(70000, testdoc::ContentCipher::DesEde3Cbc); }, true},
        DetachCase{"WithTrailingBytes", [] { return envelope(300) + "trailing"; }, true},
        DetachCase{"CmsTools",
                   [] { return testdoc::cmsEnvelopedDataDer("content", {recipient().certificate.get()}); },
                   true},
        DetachCase{"SignedData", [] { return testdoc::signedDataDer("content", recipient()); }, false},
        DetachCase{"Truncated", [] { return envelope(300).substr(0, 200); }, false},
        DetachCase{"NotDer", [] { return std::string("\x30\x80\x06\x09", 4); }, false}),
    [](const testing::TestParamInfo<DetachCase>& info) { return info.param.name; });

} // namespace
