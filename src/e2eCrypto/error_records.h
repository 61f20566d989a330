#pragma once
// The four records that the crypto, certificate and store code throw. They are deliberately
// unrelated types: a handler for one must never catch another.
#include <string>
#include <utility>

namespace errorDef {

struct error_message {
    std::string message;
    int code = 0;
    explicit error_message(std::string text) : message(std::move(text)) {}
    error_message(std::string text, int errorCode) : message(std::move(text)), code(errorCode) {}
};

class Fatal {
public:
    std::string message;
    int code = 0;
    explicit Fatal(std::string text) : message(std::move(text)) {}
    Fatal(std::string text, int errorCode) : message(std::move(text)), code(errorCode) {}
};

class Warning {
public:
    std::string message;
    int code = 0;
    explicit Warning(std::string text) : message(std::move(text)) {}
};

} // namespace errorDef

namespace e2eError {

struct error_message {
    std::string message;
    int code = 0;
    explicit error_message(std::string text) : message(std::move(text)) {}
};

} // namespace e2eError
