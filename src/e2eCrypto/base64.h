#pragma once
// The document Base64 codec: RFC 4648 alphabet, 72-character lines ended by CR LF.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// Never fails. Lines of 72 characters end in CR LF; a padded final group is followed by CR LF.
std::string encodeBase64(std::string_view bytes);

// "=" ends the text, CR and LF are skipped, any other byte outside the alphabet throws
// errorDef::error_message "Error in decoding. Format is invalid".
std::string decodeBase64(std::string_view text);

// Decodes the concatenation of two texts without joining them first: an armour body with its
// END marker cut out is decoded this way without a copy of the whole body.
std::string decodeBase64(std::string_view first, std::string_view second);

// Throws as decodeBase64(first, second) would, without making the bytes.
void checkBase64(std::string_view first, std::string_view second = {});

// Decodes the concatenation of first and second, which lie in buffer in that order, into the start of
// buffer itself and cuts buffer to the decoded bytes: a large body is decoded without a second
// buffer. When it throws, buffer is left empty.
void decodeBase64Within(std::string& buffer, std::string_view first, std::string_view second = {});

// Decodes a text that arrives in pieces as decodeBase64 decodes the pieces joined, into out, which may
// be the start of the buffer the pieces lie in (in order, each after out + written()): a document is
// decoded behind the place it is read to.
class Base64Stream {
public:
    explicit Base64Stream(char* out);
    Base64Stream(const Base64Stream&) = delete;
    Base64Stream& operator=(const Base64Stream&) = delete;
    ~Base64Stream();

    // Decodes the next piece; false once "=" has ended the text, which decodes no later piece. Throws
    // as decodeBase64 does.
    bool feed(std::string_view piece);
    // The bytes decoded so far.
    std::size_t written() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Which decoder runs: the fastest one the processor offers (the default), or the table-driven one
// alone, which every processor runs. Both give the same bytes and the same failures; tests and the
// fuzz target compare them.
enum class Base64Decoder { Fastest, TableDriven };
void chooseBase64Decoder(Base64Decoder decoder);
