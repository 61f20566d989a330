#pragma once
// JSON text for the command line's output: strings that survive any bytes, and objects written key
// by key in the order given.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// text as a JSON string; a byte that is not part of valid UTF-8 becomes "\udcXX" (XX its value).
std::string jsonString(const std::string& text);
// Elements already written as JSON, as an array.
std::string jsonArray(const std::vector<std::string>& elements);
std::string jsonStringArray(const std::vector<std::string>& texts);

class JsonObject {
public:
    JsonObject& text(const char* key, const std::string& value) { return raw(key, jsonString(value)); }
    JsonObject& text(const char* key, const char* value) { return raw(key, jsonString(value)); }
    // null when there is no value.
    JsonObject& text(const char* key, const std::optional<std::string>& value) {
        return raw(key, value ? jsonString(*value) : "null");
    }
    JsonObject& flag(const char* key, bool value) { return raw(key, value ? "true" : "false"); }
    JsonObject& number(const char* key, std::uint64_t value) { return raw(key, std::to_string(value)); }
    // A value already written as JSON: an object, an array or null.
    JsonObject& raw(const char* key, const std::string& json);

    std::string str() const { return body_.empty() ? "{}" : body_ + "}"; }

private:
    std::string body_;
};
