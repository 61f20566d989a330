#pragma once
// The document Base64 codec: RFC 4648 alphabet, 72-character lines ended by CR LF.
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
