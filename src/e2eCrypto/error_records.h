#pragma once
// The four records that the crypto, certificate and store code throw. Each is a type of its own, so a
// handler for one never catches another; a handler that treats them alike catches their base.
#include <string>
#include <utility>

// What every record carries: the text shown to the person, and a code that only the certificate
// loader sets and no handler reads.
struct ErrorRecord {
    std::string message;
    int code = 0;

protected:
    explicit ErrorRecord(std::string text, int errorCode = 0) : message(std::move(text)), code(errorCode) {}
};

namespace errorDef {

struct error_message : ErrorRecord {
    explicit error_message(std::string text) : ErrorRecord(std::move(text)) {}
    error_message(std::string text, int errorCode) : ErrorRecord(std::move(text), errorCode) {}
};

class Fatal : public ErrorRecord {
public:
    explicit Fatal(std::string text) : ErrorRecord(std::move(text)) {}
    Fatal(std::string text, int errorCode) : ErrorRecord(std::move(text), errorCode) {}
};

class Warning : public ErrorRecord {
public:
    explicit Warning(std::string text) : ErrorRecord(std::move(text)) {}
};

} // namespace errorDef

namespace e2eError {

struct error_message : ErrorRecord {
    explicit error_message(std::string text) : ErrorRecord(std::move(text)) {}
};

} // namespace e2eError
