#include "e2eCrypto/armour_reading.h"

#include "e2eCrypto/base64.h"
#include "e2eCrypto/error_records.h"

#include "platform/memory_pages.h"
#include "platform/work_progress.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::size_t npos = std::string_view::npos;
// Far beyond any certificate's text: a longer head is left to the text's own reading.
constexpr std::size_t headLimit = 64 * 1024;

bool properPrefixOf(std::string_view text, std::string_view marker) {
    return text.size() < marker.size() && marker.starts_with(text);
}

// What the start of a document says: where its armour's body begins (0 when it is no such layer),
// or that more of it must be read to tell.
struct Head {
    std::size_t bodyStart = 0;
    bool needMore = false;
    DecodedArmour layer{};
};

Head readHead(std::string_view text) {
    if (text.starts_with(envelope::pkcs7Begin)) {
        return {envelope::pkcs7Begin.size(), false, {}};
    }
    if (!text.starts_with(envelope::asymmetricMarker)) {
        return {0, properPrefixOf(text, envelope::pkcs7Begin) ||
                       properPrefixOf(text, envelope::asymmetricMarker)};
    }
    // As the certificate layer's steps split it: the certificate right after the marker, up to "@@".
    const std::size_t start = envelope::asymmetricMarker.size();
    const std::size_t end = text.find(envelope::certificateEnd, start);
    if (end == npos) {
        return {0, true};
    }
    const std::string_view inner = text.substr(end + envelope::certificateEnd.size());
    if (!inner.starts_with(envelope::pkcs7Begin)) {
        return {0, properPrefixOf(inner, envelope::pkcs7Begin)};
    }
    return {end + envelope::certificateEnd.size() + envelope::pkcs7Begin.size(),
            false,
            {EnvelopeKind::Asymmetric, std::string(text.substr(start, end - start))}};
}

// Appends the document's pieces to content, in one decoding pass over its size.
class Pieces {
public:
    Pieces(std::string& content, std::uint64_t size, const DocumentBytes& read, std::size_t pieceSize)
        : content_(content), size_(size), read_(read), pieceSize_(pieceSize),
          pass_(WorkStage::Decoding, size) {}

    bool whole() const { return content_.size() == size_; }

    // False when the document ended before its size or could not be read.
    bool next() {
        const std::size_t start = content_.size();
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(pieceSize_, size_ - start));
        content_.resize(start + want);
        for (std::size_t got = 0; got < want;) {
            const std::int64_t count = read_(content_.data() + start + got, want - got);
            if (count <= 0) {
                return false;
            }
            got += static_cast<std::size_t>(count);
        }
        pass_.advance(want);
        return true;
    }

private:
    std::string& content_;
    const std::uint64_t size_;
    const DocumentBytes& read_;
    const std::size_t pieceSize_;
    const WorkPass pass_;
};

// Decodes the armour's body as the text read so far allows, to the start of content, as the whole
// text's armour reader would: the first END marker after the body's start is cut out and what
// follows it decoded too, until "=" ends the text.
class Body {
public:
    // size: the whole document's.
    Body(std::string& content, std::size_t start, std::uint64_t size)
        : content_(content), stream_(content.data()), decodeFrom_(start), searchFrom_(start),
          releasedTo_(static_cast<std::size_t>(3 * ((size - start) / 4) + 3)) {}

    void advance() {
        const std::string_view text(content_);
        if (!endFound_) {
            const std::size_t end = text.find(envelope::pkcs7End, searchFrom_);
            if (end == npos) {
                // The last bytes may begin an END marker that the next piece completes.
                searchFrom_ =
                    std::max(searchFrom_, text.size() - std::min(text.size(), envelope::pkcs7End.size() - 1));
                decodeTo(searchFrom_);
                return;
            }
            decodeTo(end);
            decodedBeforeEnd_ = stream_.written();
            endFound_ = true;
            decodeFrom_ = end + envelope::pkcs7End.size();
        }
        decodeTo(text.size());
    }

    bool endFound() const { return endFound_; }
    // Nothing more would be decoded, whatever follows.
    bool done() const { return endFound_ && ended_; }
    std::size_t written() const { return stream_.written(); }
    std::size_t decodedBeforeEnd() const { return decodedBeforeEnd_; }

private:
    void decodeTo(std::size_t to) {
        if (to <= decodeFrom_) {
            return;
        }
        ended_ = !stream_.feed(std::string_view(content_).substr(decodeFrom_, to - decodeFrom_));
        decodeFrom_ = to;
        // The text decoded beyond the room the decoded bytes can take up is spent. The pages below are
        // kept: the decoding fills them anyway, and handed back they would only be faulted in again.
        if (decodeFrom_ > releasedTo_) {
            platform::releasePages(content_.data() + releasedTo_, decodeFrom_ - releasedTo_);
            releasedTo_ = decodeFrom_;
        }
    }

    std::string& content_;
    Base64Stream stream_;
    std::size_t decodeFrom_;
    std::size_t searchFrom_;
    std::size_t releasedTo_;
    std::size_t decodedBeforeEnd_ = 0;
    bool endFound_ = false;
    bool ended_ = false;
};

} // namespace

std::optional<DecodedArmour> readDecodingArmour(std::string& content, std::uint64_t size,
                                                const DocumentBytes& read, std::size_t pieceSize) {
    content.clear();
    content.reserve(static_cast<std::size_t>(size)); // the decoding keeps its place in the storage
    Pieces pieces(content, size, read, pieceSize);
    Head head;
    do {
        if (!pieces.next()) {
            content.clear();
            return std::nullopt;
        }
        head = readHead(content);
    } while (head.needMore && !pieces.whole() && content.size() < headLimit);
    if (head.bodyStart == 0) {
        return std::nullopt; // content holds the bytes read so far, as they are
    }
    try {
        Body body(content, head.bodyStart, size);
        for (body.advance(); !pieces.whole() && !body.done(); body.advance()) {
            if (!pieces.next()) {
                content.clear();
                return std::nullopt;
            }
        }
        if (!body.endFound() || body.written() == 0) {
            content.clear();
            return std::nullopt;
        }
        content.resize(body.written());
        head.layer.decodedBeforeEnd = body.decodedBeforeEnd();
        return std::move(head.layer);
    } catch (const errorDef::error_message&) {
        content.clear();
        return std::nullopt; // the text's own reading reports the bad body where it always has
    }
}
