#pragma once
// The errors this program throws to report a failure in words. The four records of the crypto,
// certificate and store code are each a type of their own, so a handler for one never catches
// another; a handler that treats them alike catches their base.
#include <exception>
#include <string>
#include <utility>

// What every error carries: the text shown to the person.
struct ErrorRecord : std::exception {
    std::string message;

    const char* what() const noexcept override { return message.c_str(); }

protected:
    explicit ErrorRecord(std::string text) : message(std::move(text)) {}
};

namespace errorDef {

struct error_message : ErrorRecord {
    explicit error_message(std::string text) : ErrorRecord(std::move(text)) {}
};

class Fatal : public ErrorRecord {
public:
    explicit Fatal(std::string text) : ErrorRecord(std::move(text)) {}
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
