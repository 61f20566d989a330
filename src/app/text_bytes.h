#pragma once
// Texts cross into the pipeline as bytes: UTF-8, exactly as typed, with no normalisation.
#include <QString>

#include <string>

inline std::string toBytes(const QString& text) {
    return text.toUtf8().toStdString();
}
inline QString fromBytes(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
