#pragma once
// What quillbox-cli writes on standard output, keeping the first failure, so that a full disk or a
// closed pipe ends the command as an error instead of a success.
#include "platform/system_result.h"

#include <string>
#include <string_view>

class StandardOutput {
public:
    void write(std::string_view bytes);
    // line and its "\n" written whole; lastWords is what a termination signal adds from then on.
    void record(const std::string& line, std::string lastWords = {});
    void setLastWords(std::string lastWords);
    // status, or after a failed write the failure's message on stderr and exit status 1.
    int finish(int status) const;

private:
    void keep(SystemResult written);

    int error_ = 0; // errno of the first failed write
};
