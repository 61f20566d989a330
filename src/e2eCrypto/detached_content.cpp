#include "e2eCrypto/detached_content.h"

#include <array>
#include <cstdint>
#include <utility>

namespace {

// One element of the DER: its tag byte, where its value starts and where it ends.
struct Element {
    unsigned char tag = 0;
    std::size_t begin = 0;
    std::size_t valueBegin = 0;
    std::size_t end = 0;
};

// The element at position at, when it has a one-byte tag and a definite length that fits in der.
std::optional<Element> elementAt(std::string_view der, std::size_t at) {
    if (at + 2 > der.size() || (der[at] & 0x1F) == 0x1F) {
        return std::nullopt;
    }
    Element element{static_cast<unsigned char>(der[at]), at, at + 2, 0};
    std::size_t length = static_cast<unsigned char>(der[at + 1]);
    if (length == 0x80) {
        return std::nullopt; // indefinite
    }
    if (length > 0x80) {
        const std::size_t bytes = length & 0x7F;
        if (bytes > sizeof(std::uint32_t) || element.valueBegin + bytes > der.size()) {
            return std::nullopt;
        }
        length = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            length = (length << 8) | static_cast<unsigned char>(der[element.valueBegin + i]);
        }
        element.valueBegin += bytes;
    }
    if (length > der.size() - element.valueBegin) {
        return std::nullopt;
    }
    element.end = element.valueBegin + length;
    return element;
}

// The next element inside parent after position at, when it has the tag.
std::optional<Element> childAt(std::string_view der, const Element& parent, std::size_t at,
                               unsigned char tag) {
    std::optional<Element> child = elementAt(der.substr(0, parent.end), at);
    return child && child->tag == tag ? child : std::nullopt;
}

void appendHeader(std::string& out, unsigned char tag, std::size_t length) {
    out += static_cast<char>(tag);
    if (length < 0x80) {
        out += static_cast<char>(length);
        return;
    }
    std::array<char, sizeof(std::size_t)> bytes{};
    std::size_t count = 0;
    for (std::size_t rest = length; rest != 0; rest >>= 8) {
        bytes[count++] = static_cast<char>(rest & 0xFF);
    }
    out += static_cast<char>(0x80 | count);
    while (count > 0) {
        out += bytes[--count];
    }
}

constexpr std::string_view envelopedDataType = "\x2A\x86\x48\x86\xF7\x0D\x01\x07\x03";
constexpr std::string_view signedDataType = "\x2A\x86\x48\x86\xF7\x0D\x01\x07\x02";

// ContentInfo { contentType, [0] content }: the ContentInfo, its tag and the SEQUENCE inside, when
// the type is the one asked for.
std::optional<std::array<Element, 3>> contentInfoOf(std::string_view der, std::string_view typeOid) {
    const std::optional<Element> info = elementAt(der, 0);
    if (!info || info->tag != 0x30) {
        return std::nullopt;
    }
    const std::optional<Element> type = childAt(der, *info, info->valueBegin, 0x06);
    if (!type || der.substr(type->valueBegin, type->end - type->valueBegin) != typeOid) {
        return std::nullopt;
    }
    const std::optional<Element> tagged = childAt(der, *info, type->end, 0xA0);
    const std::optional<Element> inner =
        tagged ? childAt(der, *tagged, tagged->valueBegin, 0x30) : std::nullopt;
    if (!inner) {
        return std::nullopt;
    }
    return std::array<Element, 3>{*info, *tagged, *inner};
}

// The DER again with the value of the last element of path (each element inside the one before it,
// the first the ContentInfo) left empty: each element on the way down is written again around its
// new, shorter inside, and whatever followed the ContentInfo follows it still.
template <std::size_t Levels>
DetachedContent withoutContent(std::string_view der, const std::array<Element, Levels>& path) {
    const Element& content = path.back();
    std::string inside = {static_cast<char>(content.tag), '\0'};
    for (std::size_t level = Levels - 1; level-- > 0;) {
        const Element& around = path[level];
        const Element& old = path[level + 1];
        const std::string_view before = der.substr(around.valueBegin, old.begin - around.valueBegin);
        const std::string_view after = der.substr(old.end, around.end - old.end);
        std::string rewritten;
        appendHeader(rewritten, around.tag, before.size() + inside.size() + after.size());
        rewritten.append(before).append(inside).append(after);
        inside = std::move(rewritten);
    }
    inside.append(der.substr(path.front().end));
    return DetachedContent{std::move(inside), content.valueBegin, content.end - content.valueBegin};
}

} // namespace

std::optional<DetachedContent> detachEnvelopeContent(std::string_view der) {
    // ContentInfo { contentType, [0] EnvelopedData { version, [0] originatorInfo OPTIONAL,
    // recipientInfos, EncryptedContentInfo { contentType, algorithm, [0] encryptedContent }, ... } }
    const auto outer = contentInfoOf(der, envelopedDataType);
    if (!outer) {
        return std::nullopt;
    }
    const Element& envelope = (*outer)[2];
    const std::optional<Element> version = childAt(der, envelope, envelope.valueBegin, 0x02);
    if (!version) {
        return std::nullopt;
    }
    std::size_t at = version->end;
    if (const std::optional<Element> originator = childAt(der, envelope, at, 0xA0)) {
        at = originator->end;
    }
    const std::optional<Element> recipients = childAt(der, envelope, at, 0x31);
    const std::optional<Element> encrypted =
        recipients ? childAt(der, envelope, recipients->end, 0x30) : std::nullopt;
    const std::optional<Element> contentType =
        encrypted ? childAt(der, *encrypted, encrypted->valueBegin, 0x06) : std::nullopt;
    const std::optional<Element> algorithm =
        contentType ? childAt(der, *encrypted, contentType->end, 0x30) : std::nullopt;
    const std::optional<Element> content =
        algorithm ? childAt(der, *encrypted, algorithm->end, 0x80) : std::nullopt;
    if (!content || content->end != encrypted->end) {
        return std::nullopt;
    }
    return withoutContent(der,
                          std::array<Element, 5>{(*outer)[0], (*outer)[1], envelope, *encrypted, *content});
}

std::optional<DetachedContent> detachSignedContent(std::string_view der) {
    // ContentInfo { contentType, [0] SignedData { version, digestAlgorithms,
    // EncapsulatedContentInfo { eContentType, [0] { OCTET STRING eContent } }, ... } }
    const auto outer = contentInfoOf(der, signedDataType);
    if (!outer) {
        return std::nullopt;
    }
    const Element& signedData = (*outer)[2];
    const std::optional<Element> version = childAt(der, signedData, signedData.valueBegin, 0x02);
    const std::optional<Element> digests =
        version ? childAt(der, signedData, version->end, 0x31) : std::nullopt;
    const std::optional<Element> encapsulated =
        digests ? childAt(der, signedData, digests->end, 0x30) : std::nullopt;
    const std::optional<Element> contentType =
        encapsulated ? childAt(der, *encapsulated, encapsulated->valueBegin, 0x06) : std::nullopt;
    const std::optional<Element> tagged =
        contentType ? childAt(der, *encapsulated, contentType->end, 0xA0) : std::nullopt;
    const std::optional<Element> content =
        tagged ? childAt(der, *tagged, tagged->valueBegin, 0x04) : std::nullopt;
    if (!content || content->end != tagged->end || tagged->end != encapsulated->end) {
        return std::nullopt;
    }
    return withoutContent(
        der, std::array<Element, 6>{(*outer)[0], (*outer)[1], signedData, *encapsulated, *tagged, *content});
}
