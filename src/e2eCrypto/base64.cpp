#include "e2eCrypto/base64.h"

#include "e2eCrypto/base64_blocks.h"
#include "e2eCrypto/error_records.h"

#include "platform/memory_pages.h"
#include "platform/work_progress.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <stdexcept>

namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t lineLength = 72;

enum : std::uint8_t { invalidByte = 0xFF, skippedByte = 0xFE, endByte = 0xFD };

constexpr std::array<std::uint8_t, 256> makeDecodeTable() {
    std::array<std::uint8_t, 256> table{};
    for (auto& entry : table) {
        entry = invalidByte;
    }
    for (std::uint8_t value = 0; value < 64; ++value) {
        table[static_cast<unsigned char>(alphabet[value])] = value;
    }
    table['\r'] = skippedByte;
    table['\n'] = skippedByte;
    table['='] = endByte;
    return table;
}
constexpr auto decodeTable = makeDecodeTable();

// The value of an alphabet byte already moved to its place in a 24-bit group, one table per
// position in the group; every other byte sets bits above the group, so one test of the OR of four
// lookups tells whether the four bytes are a whole group.
constexpr std::uint32_t notInGroup = 0xFF000000;
using ShiftedTable = std::array<std::uint32_t, 256>;
constexpr ShiftedTable makeShiftedTable(unsigned shift) {
    ShiftedTable table{};
    for (std::size_t byte = 0; byte < table.size(); ++byte) {
        const std::uint8_t value = decodeTable[byte];
        table[byte] = value < 64 ? static_cast<std::uint32_t>(value) << shift : notInGroup;
    }
    return table;
}
constexpr ShiftedTable shifted0 = makeShiftedTable(18);
constexpr ShiftedTable shifted1 = makeShiftedTable(12);
constexpr ShiftedTable shifted2 = makeShiftedTable(6);
constexpr ShiftedTable shifted3 = makeShiftedTable(0);

std::atomic<Base64Decoder> chosenDecoder{Base64Decoder::Fastest};

Base64BlockDecoder blockDecoder() {
    static const Base64BlockDecoder processorDecoder = processorBase64BlockDecoder();
    return chosenDecoder.load(std::memory_order_relaxed) == Base64Decoder::Fastest ? processorDecoder
                                                                                   : nullptr;
}

[[noreturn]] void throwInvalidFormat() {
    throw errorDef::error_message("Error in decoding. Format is invalid");
}

// Decodes a text given in up to two pieces into out, which has room for 3 * (length / 4) + 3 bytes;
// with Store false the text is only checked and nothing is written. Runs of alphabet bytes go to the
// block decoder, when the processor has one; whole groups of four alphabet characters and the line
// breaks between them take the table-driven fast path; anything else ("=", a bad byte, a break inside
// a group, the tail of a piece) goes byte by byte. Every byte is read before the output reaches it,
// so out may be the start of the buffer that holds the text.
template <bool Store> class Decoder {
public:
    explicit Decoder(char* out) : out_(out), blocks_(blockDecoder()) {}

    // Returns false once "=" has ended the text.
    bool feed(std::string_view text) {
        const auto* in = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t length = text.size();
        std::size_t i = 0;
        while (i < length) {
            if (pending_ == 0) {
                std::size_t written = written_;
                while (i + 4 <= length) {
                    if (blocks_ != nullptr) {
                        const Base64BlockRun run =
                            blocks_(in + i, length - i, Store ? out_ + written : nullptr);
                        i += run.read;
                        written += run.written;
                        if (i + 4 > length) {
                            break;
                        }
                    }
                    const std::uint32_t group =
                        shifted0[in[i]] | shifted1[in[i + 1]] | shifted2[in[i + 2]] | shifted3[in[i + 3]];
                    if (group & notInGroup) {
                        // Line breaks between groups are skipped here, without leaving the fast path.
                        if (decodeTable[in[i]] == skippedByte) {
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if constexpr (Store) {
                        char* o = out_ + written;
                        o[0] = static_cast<char>(group >> 16);
                        o[1] = static_cast<char>(group >> 8);
                        o[2] = static_cast<char>(group);
                    }
                    written += 3;
                    i += 4;
                }
                written_ = written;
                if (i >= length) {
                    break;
                }
            }
            const std::uint8_t value = decodeTable[in[i++]];
            if (value == skippedByte) {
                continue;
            }
            if (value == endByte) {
                return false;
            }
            if (value == invalidByte) {
                throwInvalidFormat();
            }
            takeValue(value);
        }
        return true;
    }

    // Feeds both pieces; the second only when "=" has not ended the first.
    std::size_t decode(std::string_view first, std::string_view second) {
        const WorkPass pass(WorkStage::Decoding, first.size() + second.size());
        if (feedInBlocks(first, pass)) {
            feedInBlocks(second, pass);
        }
        return written_;
    }

    std::size_t written() const { return written_; }

private:
    // A long text goes in blocks, between which the pass is told how far it came.
    bool feedInBlocks(std::string_view text, const WorkPass& pass) {
        for (std::size_t at = 0; at < text.size(); at += workBlockSize) {
            const std::string_view block = text.substr(at, workBlockSize);
            if (!feed(block)) {
                return false;
            }
            pass.advance(block.size());
        }
        return true;
    }

    void put(char byte) {
        if constexpr (Store) {
            out_[written_] = byte;
        }
        ++written_;
    }

    void takeValue(std::uint8_t value) {
        switch (pending_) {
        case 0:
            kept_ = static_cast<std::uint8_t>(value << 2);
            break;
        case 1:
            put(static_cast<char>(kept_ | (value >> 4)));
            kept_ = static_cast<std::uint8_t>(value << 4);
            break;
        case 2:
            put(static_cast<char>(kept_ | (value >> 2)));
            kept_ = static_cast<std::uint8_t>(value << 6);
            break;
        default:
            put(static_cast<char>(kept_ | value));
            break;
        }
        pending_ = (pending_ + 1) & 3;
    }

    char* out_;
    Base64BlockDecoder blocks_;
    std::size_t written_ = 0;
    unsigned pending_ = 0;
    std::uint8_t kept_ = 0;
};

// The pages of a buffer past its bytes (and their terminator) are handed back to the system: after
// decoding in place, the quarter of the storage the text took up beyond its decoding is not held
// while the rest of the document is worked on. The pages read as zero bytes if the buffer grows
// into them again.
void releaseUnusedStorage(std::string& buffer) {
    if (buffer.capacity() > buffer.size()) {
        platform::releasePages(buffer.data() + buffer.size() + 1, buffer.capacity() - buffer.size() - 1);
    }
}

std::size_t decodedRoom(std::size_t textLength) {
    return 3 * (textLength / 4) + 3;
}

} // namespace

struct Base64Stream::State {
    Decoder<true> decoder;
    bool ended = false;
};

Base64Stream::Base64Stream(char* out) : state_(std::make_unique<State>(State{Decoder<true>(out)})) {}

Base64Stream::~Base64Stream() = default;

bool Base64Stream::feed(std::string_view piece) {
    state_->ended = state_->ended || !state_->decoder.feed(piece);
    return !state_->ended;
}

std::size_t Base64Stream::written() const {
    return state_->decoder.written();
}

void chooseBase64Decoder(Base64Decoder decoder) {
    chosenDecoder.store(decoder, std::memory_order_relaxed);
}

std::string encodeBase64(std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (n == 0) {
        return {};
    }
    const std::size_t groups = n / 3;
    const std::size_t outputLength = 4 * groups + 2 * (groups / 18) + (n % 3 != 0 ? 6 : 0);
    std::string out(outputLength, '\0');
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    char* o = out.data();
    std::size_t onLine = 0;
    for (std::size_t g = 0; g < groups; ++g, in += 3) {
        *o++ = alphabet[in[0] >> 2];
        *o++ = alphabet[((in[0] & 3) << 4) | (in[1] >> 4)];
        *o++ = alphabet[((in[1] & 15) << 2) | (in[2] >> 6)];
        *o++ = alphabet[in[2] & 63];
        onLine += 4;
        if (onLine == lineLength) {
            *o++ = '\r';
            *o++ = '\n';
            onLine = 0;
        }
    }
    if (n % 3 == 1) {
        *o++ = alphabet[in[0] >> 2];
        *o++ = alphabet[(in[0] & 3) << 4];
        *o++ = '=';
        *o++ = '=';
        *o++ = '\r';
        *o++ = '\n';
    } else if (n % 3 == 2) {
        *o++ = alphabet[in[0] >> 2];
        *o++ = alphabet[((in[0] & 3) << 4) | (in[1] >> 4)];
        *o++ = alphabet[(in[1] & 15) << 2];
        *o++ = '=';
        *o++ = '\r';
        *o++ = '\n';
    }
    return out;
}

std::string decodeBase64(std::string_view text) {
    return decodeBase64(text, {});
}

std::string decodeBase64(std::string_view first, std::string_view second) {
    std::string out(decodedRoom(first.size() + second.size()), '\0');
    out.resize(Decoder<true>(out.data()).decode(first, second));
    return out;
}

void checkBase64(std::string_view first, std::string_view second) {
    Decoder<false>(nullptr).decode(first, second);
}

void decodeBase64Within(std::string& buffer, std::string_view first, std::string_view second) {
    const auto inside = [&buffer](std::string_view piece) {
        return piece.empty() || (piece.data() >= buffer.data() &&
                                 piece.data() + piece.size() <= buffer.data() + buffer.size());
    };
    if (!inside(first) || !inside(second) ||
        (!second.empty() && second.data() < first.data() + first.size())) {
        throw std::invalid_argument("decodeBase64Within: the text must lie in the buffer, in order");
    }
    try {
        buffer.resize(Decoder<true>(buffer.data()).decode(first, second));
        releaseUnusedStorage(buffer);
    } catch (...) {
        buffer.clear();
        throw;
    }
}
