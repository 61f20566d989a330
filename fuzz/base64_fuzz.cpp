// The document Base64 codec on arbitrary text: decoding never misbehaves, a text decodes the same
// whole or in two pieces, in a new buffer or in its own, with the fastest decoder or the table-driven
// one, and any bytes survive encoding and decoding.
#include "e2eCrypto/base64.h"
#include "e2eCrypto/error_records.h"
#include "fuzz_support.h"

#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

std::optional<std::string> decodeOrReject(std::string_view first, std::string_view second) {
    try {
        return decodeBase64(first, second);
    } catch (const errorDef::error_message& error) {
        if (error.message != "Error in decoding. Format is invalid") {
            std::abort();
        }
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::optional<std::string> whole = decodeOrReject(input, {});
    check(!whole || whole->size() <= 3 * (size / 4) + 2);
    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    check(decodeOrReject(input.substr(0, cut), input.substr(cut)) == whole);
    chooseBase64Decoder(Base64Decoder::TableDriven);
    check(decodeOrReject(input.substr(0, cut), input.substr(cut)) == whole);
    chooseBase64Decoder(Base64Decoder::Fastest);

    // Checking and decoding in the text's own buffer agree with decoding into a new one.
    bool checked = true;
    try {
        checkBase64(input.substr(0, cut), input.substr(cut));
    } catch (const errorDef::error_message&) {
        checked = false;
    }
    check(checked == whole.has_value());
    std::string buffer(input);
    const std::string_view text(buffer);
    try {
        decodeBase64Within(buffer, text.substr(0, cut), text.substr(cut));
        check(whole && buffer == *whole);
    } catch (const errorDef::error_message&) {
        check(!whole && buffer.empty());
    }

    const std::string encoded = encodeBase64(input);
    const std::size_t groups = size / 3;
    check(encoded.size() == 4 * groups + 2 * (groups / 18) + (size % 3 != 0 ? 6 : 0));
    check(decodeBase64(encoded) == input);
    return 0;
}
