#include "argument_reader.h"

bool ArgumentReader::next() {
    while (index_ < arguments_.size()) {
        current_ = arguments_[index_++];
        if (!optionsEnded_ && current_ == "--") {
            optionsEnded_ = true;
            continue;
        }
        operand_ = optionsEnded_ || current_ == "-" || current_.empty() || current_[0] != '-';
        return true;
    }
    return false;
}

bool ArgumentReader::flag(const std::string& longName) {
    if (operand_) {
        return false;
    }
    if (current_.rfind(longName + "=", 0) == 0) {
        throw UsageError(longName + " takes no value");
    }
    return current_ == longName;
}

std::optional<std::string> ArgumentReader::value(const std::string& longName, const std::string& shortName) {
    if (operand_) {
        return std::nullopt;
    }
    std::string value;
    if (current_.rfind(longName + "=", 0) == 0) {
        value = current_.substr(longName.size() + 1);
    } else if (current_ != longName && (shortName.empty() || current_ != shortName)) {
        return std::nullopt;
    } else if (index_ < arguments_.size()) {
        value = arguments_[index_++];
    }
    // Every value is a path; an empty one would silently mean the current or root directory.
    if (value.empty()) {
        throw UsageError(longName + " needs a value");
    }
    return value;
}
