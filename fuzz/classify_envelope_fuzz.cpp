// Layer recognition on arbitrary bytes: only the two documented failures, results that agree with
// the armour reader (in a new buffer, in the layer's own, or as the document is read), and
// pass-phrase fields that lie inside the layer.
#include "e2eCrypto/armour_reading.h"
#include "e2eCrypto/envelope_cipher.h"
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/error_records.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>

namespace {

// The message thrown by call, or empty when it returned.
std::string thrownBy(const std::function<void()>& call) {
    try {
        call();
    } catch (const errorDef::error_message& error) {
        check(!error.message.empty());
        return error.message;
    }
    return {};
}

bool inside(std::string_view part, std::string_view whole) {
    return part.empty() ||
           (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view layer(reinterpret_cast<const char*>(data), size);

    EnvelopeKind kind = EnvelopeKind::Unrecognised;
    const std::string classifyError = thrownBy([&] { kind = classifyEnvelope(layer); });
    check(classifyError.empty() || classifyError == "Invalid PKCS7 format" ||
          classifyError == "Error in decoding. Format is invalid");

    const std::string armourError = thrownBy([&] { decodePkcs7Armour(layer, "no begin", "no end"); });
    if (classifyError.empty() && kind == EnvelopeKind::Pkcs7) {
        check(armourError.empty());
    }
    if (classifyError.empty() && kind == EnvelopeKind::Unrecognised) {
        check(armourError == "no begin");
    }
    if (!classifyError.empty()) {
        check(armourError == (classifyError == "Invalid PKCS7 format" ? "no end" : classifyError));
    }

    // Decoding the armour in the layer's own buffer agrees with decoding it into a new one.
    std::string decoded;
    thrownBy([&] { decoded = decodePkcs7Armour(layer, "no begin", "no end"); });
    std::string buffer(layer);
    const std::string withinError =
        thrownBy([&] { decodePkcs7ArmourWithin(buffer, buffer, "no begin", "no end"); });
    check(withinError == armourError);
    check(withinError.empty()                                      ? buffer == decoded
          : (withinError == "no begin" || withinError == "no end") ? buffer == layer
                                                                   : buffer.empty());

    // Read in pieces cut at every place as the corpus varies, the armour decoded while read agrees with
    // the text's readers; what it declines they read as text.
    std::size_t at = 0;
    const auto next = [&](char* into, std::size_t wanted) {
        const std::size_t count = std::min(wanted, size - at);
        std::memcpy(into, layer.data() + at, count);
        at += count;
        return static_cast<std::int64_t>(count);
    };
    std::string read;
    if (const std::optional<DecodedArmour> armour = readDecodingArmour(read, size, next, 1 + size % 29)) {
        check(classifyError.empty() && kind == armour->kind);
        const std::size_t certificateEnd = kind == EnvelopeKind::Asymmetric ? layer.find("@@", 22) : 0;
        const std::string_view text = certificateEnd == 0 ? layer : layer.substr(certificateEnd + 2);
        check(armour->certificateText == (certificateEnd == 0 ? "" : layer.substr(22, certificateEnd - 22)));
        check(read == decodePkcs7Armour(text, "no begin", "no end"));
        check(envelopeCipherNameOfDer(read, armour->decodedBeforeEnd) == envelopeCipherName(text));
    }

    const SymmetricLayer fields = splitSymmetricLayer(layer);
    check(inside(fields.checkField, layer) && inside(fields.body, layer));
    check(fields.checkField.find(envelope::symmetricSeparator) == std::string_view::npos);
    return 0;
}
