#include "e2eCrypto/certificate_time.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::string_view unknownFormat = "UNKNOWN FORMAT";
constexpr std::array<const char*, 12> monthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view bytes, std::size_t count) {
    if (bytes.size() < count) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!isDigit(bytes[i])) {
            return false;
        }
    }
    return true;
}

int twoDigits(std::string_view bytes, std::size_t at) {
    return (bytes[at] - '0') * 10 + (bytes[at + 1] - '0');
}

} // namespace

std::string formatCertificateTime(int type, std::string_view bytes) {
    // Position of the month field; the year takes the bytes before it.
    std::size_t monthAt = 0;
    int year = 0;
    if (type == V_ASN1_UTCTIME) {
        if (!allDigits(bytes, 10)) {
            return std::string(unknownFormat);
        }
        monthAt = 2;
        year = twoDigits(bytes, 0);
        year += year < 50 ? 2000 : 1900;
    } else if (type == V_ASN1_GENERALIZEDTIME) {
        if (!allDigits(bytes, 12)) {
            return std::string(unknownFormat);
        }
        monthAt = 4;
        year = twoDigits(bytes, 0) * 100 + twoDigits(bytes, 2);
    } else {
        return std::string(unknownFormat);
    }
    const int month = twoDigits(bytes, monthAt);
    if (month < 1 || month > 12) {
        return std::string(unknownFormat);
    }
    const std::size_t secondsAt = monthAt + 8;
    const int seconds =
        bytes.size() >= secondsAt + 2 && isDigit(bytes[secondsAt]) && isDigit(bytes[secondsAt + 1])
            ? twoDigits(bytes, secondsAt)
            : 0;
    const bool gmt = bytes.back() == 'Z';

    char text[64];
    std::snprintf(text, sizeof text, "%s %2d %02d:%02d:%02d %d%s",
                  monthNames[static_cast<std::size_t>(month - 1)], twoDigits(bytes, monthAt + 2),
                  twoDigits(bytes, monthAt + 4), twoDigits(bytes, monthAt + 6), seconds, year,
                  gmt ? " GMT" : "");
    return text;
}

std::string formatCertificateTime(const ASN1_TIME* time) {
    if (time == nullptr) {
        return std::string(unknownFormat);
    }
    const auto* data = reinterpret_cast<const char*>(ASN1_STRING_get0_data(time));
    const int length = ASN1_STRING_length(time);
    return formatCertificateTime(ASN1_STRING_type(time),
                                 data == nullptr ? std::string_view{}
                                                 : std::string_view(data, static_cast<std::size_t>(length)));
}

std::string certificateTimeAsWritten(const ASN1_TIME* time) {
    std::string text;
    const int length = time == nullptr ? 0 : ASN1_STRING_length(time);
    const unsigned char* bytes = length > 0 ? ASN1_STRING_get0_data(time) : nullptr;
    for (int i = 0; bytes != nullptr && i < length; ++i) {
        if (bytes[i] >= 0x20 && bytes[i] < 0x7F) {
            text += static_cast<char>(bytes[i]);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", bytes[i]);
            text += escaped;
        }
    }
    return text;
}

std::string isoUtcTime(const ASN1_TIME* time) {
    std::tm moment{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &moment) != 1) {
        return {};
    }
    char text[32];
    return std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &moment) > 0 ? std::string(text)
                                                                               : std::string();
}

int compareWithTime(const ASN1_TIME* time, std::time_t now) {
    if (time == nullptr) {
        return 0;
    }
    const int order = ASN1_TIME_cmp_time_t(time, now);
    if (order == -2) {
        return 0;
    }
    return order <= 0 ? -1 : 1;
}

CertificateValidity signerValidityAt(const X509& certificate, std::time_t now) {
    if (compareWithTime(X509_get0_notAfter(&certificate), now) != 1) {
        return {.expired = true, .notYetValid = false};
    }
    return validityAt(certificate, now);
}

CertificateValidity validityAt(const X509& certificate, std::time_t now) {
    return {.expired = compareWithTime(X509_get0_notAfter(&certificate), now) == -1,
            .notYetValid = compareWithTime(X509_get0_notBefore(&certificate), now) >= 0};
}
