#include "e2eCrypto/recipient_encrypted_keys.h"

#include "e2eCrypto/der_cursor.h"

#include <openssl/asn1.h>

#include <utility>

namespace {

constexpr unsigned char sequence = 0x30, set = 0x31, integer = 0x02, octets = 0x04, objectId = 0x06,
                        context0 = 0x80, constructed0 = 0xA0, constructed1 = 0xA1;

using Octets = std::unique_ptr<ASN1_OCTET_STRING, OpenSslDeleter<ASN1_OCTET_STRING_free>>;

// The structure's DER with an empty content in place of the encrypted content, which can be large.
std::optional<std::string> encodingWithoutContent(CMS_ContentInfo& envelope) {
    ASN1_OCTET_STRING** content = CMS_get0_content(&envelope);
    Octets empty(ASN1_OCTET_STRING_new());
    if (content == nullptr || *content == nullptr || !empty) {
        return std::nullopt;
    }
    ASN1_OCTET_STRING* held = std::exchange(*content, empty.get());
    unsigned char* der = nullptr;
    const int length = i2d_CMS_ContentInfo(&envelope, &der);
    *content = held;
    if (length <= 0) {
        return std::nullopt;
    }
    std::string bytes(reinterpret_cast<const char*>(der), static_cast<std::size_t>(length));
    OPENSSL_free(der);
    return bytes;
}

// RecipientIdentifier: IssuerAndSerialNumber or [0] SubjectKeyIdentifier (a RecipientKeyIdentifier
// under key agreement).
bool skipRecipientIdentifier(DerCursor& cursor) {
    return cursor.skip(sequence) || cursor.skip(context0) || cursor.skip(constructed0);
}

std::optional<std::vector<std::string>> keyTransportKey(std::string_view info) {
    DerCursor cursor(info);
    if (!cursor.skip(integer) || !skipRecipientIdentifier(cursor) || !cursor.skip(sequence)) {
        return std::nullopt;
    }
    const std::optional<std::string_view> key = cursor.take(octets);
    return key ? std::optional(std::vector<std::string>{std::string(*key)}) : std::nullopt;
}

std::optional<std::vector<std::string>> keyAgreementKeys(std::string_view info) {
    DerCursor cursor(info);
    if (!cursor.skip(integer) || !cursor.skip(constructed0) ||
        (cursor.nextIs(constructed1) && !cursor.skip(constructed1)) || !cursor.skip(sequence)) {
        return std::nullopt;
    }
    const std::optional<std::string_view> recipients = cursor.take(sequence);
    if (!recipients) {
        return std::nullopt;
    }
    std::vector<std::string> keys;
    DerCursor each(*recipients);
    while (!each.atEnd()) {
        const std::optional<std::string_view> recipient = each.take(sequence);
        if (!recipient) {
            return std::nullopt;
        }
        DerCursor fields(*recipient);
        const std::optional<std::string_view> key =
            skipRecipientIdentifier(fields) ? fields.take(octets) : std::nullopt;
        if (!key) {
            return std::nullopt;
        }
        keys.emplace_back(*key);
    }
    return keys;
}

// The encrypted keys of the one RecipientInfo in der.
std::optional<std::vector<std::string>> keysOfOnlyRecipient(const std::string& der) {
    // ContentInfo { type, [0] EnvelopedData { version, [0] originatorInfo OPTIONAL, recipientInfos ... } }
    DerCursor cursor(der);
    if (!cursor.enter(sequence) || !cursor.skip(objectId) || !cursor.enter(constructed0) ||
        !cursor.enter(sequence) || !cursor.skip(integer) ||
        (cursor.nextIs(constructed0) && !cursor.skip(constructed0))) {
        return std::nullopt;
    }
    const std::optional<std::string_view> infos = cursor.take(set);
    if (!infos) {
        return std::nullopt;
    }
    DerCursor each(*infos);
    const unsigned char tag = each.nextTag();
    const std::optional<std::string_view> info = each.take(tag);
    if (!info || !each.atEnd()) {
        return std::nullopt;
    }
    return tag == sequence       ? keyTransportKey(*info)
           : tag == constructed1 ? keyAgreementKeys(*info)
                                 : std::vector<std::string>{};
}

// Puts every recipient back in its place, however the walk ends.
class RecipientsRestored {
public:
    explicit RecipientsRestored(STACK_OF(CMS_RecipientInfo) * recipients) : recipients_(recipients) {
        for (int i = 0; i < sk_CMS_RecipientInfo_num(recipients); ++i) {
            held_.push_back(sk_CMS_RecipientInfo_value(recipients, i));
        }
    }
    RecipientsRestored(const RecipientsRestored&) = delete;
    RecipientsRestored& operator=(const RecipientsRestored&) = delete;
    ~RecipientsRestored() { only(held_); }

    const std::vector<CMS_RecipientInfo*>& held() const { return held_; }
    // Leaves the given recipients alone in the structure; false when memory runs out.
    bool only(const std::vector<CMS_RecipientInfo*>& recipients) {
        sk_CMS_RecipientInfo_zero(recipients_);
        bool pushed = true;
        for (CMS_RecipientInfo* recipient : recipients) {
            pushed = sk_CMS_RecipientInfo_push(recipients_, recipient) > 0 && pushed;
        }
        return pushed;
    }

private:
    STACK_OF(CMS_RecipientInfo) * recipients_;
    std::vector<CMS_RecipientInfo*> held_;
};

} // namespace

std::optional<std::vector<std::vector<std::string>>> recipientEncryptedKeys(CMS_ContentInfo& envelope) {
    STACK_OF(CMS_RecipientInfo)* recipients = CMS_get0_RecipientInfos(&envelope);
    if (recipients == nullptr) {
        return std::nullopt;
    }
    // The encoding sorts a SET OF, so each recipient is encoded alone to keep the library's order.
    RecipientsRestored restored(recipients);
    std::vector<std::vector<std::string>> keys;
    for (CMS_RecipientInfo* recipient : restored.held()) {
        if (!restored.only({recipient})) {
            return std::nullopt;
        }
        const std::optional<std::string> der = encodingWithoutContent(envelope);
        std::optional<std::vector<std::string>> found = der ? keysOfOnlyRecipient(*der) : std::nullopt;
        if (!found) {
            return std::nullopt;
        }
        keys.push_back(std::move(*found));
    }
    return keys;
}
