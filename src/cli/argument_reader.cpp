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
    if (current_.rfind(longName + "=", 0) == 0) {
        return current_.substr(longName.size() + 1);
    }
    if (current_ != longName && (shortName.empty() || current_ != shortName)) {
        return std::nullopt;
    }
    if (index_ >= arguments_.size()) {
        throw UsageError(current_ + " needs a value");
    }
    return arguments_[index_++];
}
