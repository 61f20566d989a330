#include "e2eCrypto/base64.h"

#include "e2eCrypto/error_records.h"

#include <array>
#include <cstdint>

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

[[noreturn]] void throwInvalidFormat() { throw errorDef::error_message("Error in decoding. Format is invalid"); }

// Decodes a text given in up to two pieces. Whole groups of four alphabet characters take the fast
// path; anything else (line breaks, "=", a bad byte, the tail of a piece) goes byte by byte.
class Decoder {
public:
    explicit Decoder(std::size_t textLength) : out_(3 * (textLength / 4) + 3, '\0') {}

    // Returns false once "=" has ended the text.
    bool feed(std::string_view text) {
        const auto* in = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t length = text.size();
        std::size_t i = 0;
        while (i < length) {
            if (pending_ == 0) {
                while (i + 4 <= length) {
                    const std::uint8_t a = decodeTable[in[i]];
                    const std::uint8_t b = decodeTable[in[i + 1]];
                    const std::uint8_t c = decodeTable[in[i + 2]];
                    const std::uint8_t d = decodeTable[in[i + 3]];
                    if ((a | b | c | d) & 0xC0) {
                        break;
                    }
                    char* o = out_.data() + written_;
                    o[0] = static_cast<char>((a << 2) | (b >> 4));
                    o[1] = static_cast<char>(((b << 4) & 0xFF) | (c >> 2));
                    o[2] = static_cast<char>(((c << 6) & 0xFF) | d);
                    written_ += 3;
                    i += 4;
                }
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

    std::string finish() {
        out_.resize(written_);
        return std::move(out_);
    }

private:
    void takeValue(std::uint8_t value) {
        switch (pending_) {
        case 0:
            kept_ = static_cast<std::uint8_t>(value << 2);
            break;
        case 1:
            out_[written_++] = static_cast<char>(kept_ | (value >> 4));
            kept_ = static_cast<std::uint8_t>(value << 4);
            break;
        case 2:
            out_[written_++] = static_cast<char>(kept_ | (value >> 2));
            kept_ = static_cast<std::uint8_t>(value << 6);
            break;
        default:
            out_[written_++] = static_cast<char>(kept_ | value);
            break;
        }
        pending_ = (pending_ + 1) & 3;
    }

    std::string out_;
    std::size_t written_ = 0;
    unsigned pending_ = 0;
    std::uint8_t kept_ = 0;
};

} // namespace

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

std::string decodeBase64(std::string_view text) { return decodeBase64(text, {}); }

std::string decodeBase64(std::string_view first, std::string_view second) {
    Decoder decoder(first.size() + second.size());
    if (decoder.feed(first)) {
        decoder.feed(second);
    }
    return decoder.finish();
}
