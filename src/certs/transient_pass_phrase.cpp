#include "certs/transient_pass_phrase.h"

#include <ctime>
#include <random>
#include <string>

SecretString transientKeyPassPhrase(std::uint32_t seconds) {
    std::mt19937 generator(seconds);
    std::uniform_int_distribution<int> draw(0, 32767);
    return SecretString(std::string("Rw4pQz^(8m!") + std::to_string(draw(generator)));
}

SecretString makeTransientKeyPassPhrase() {
    return transientKeyPassPhrase(static_cast<std::uint32_t>(std::time(nullptr)));
}
