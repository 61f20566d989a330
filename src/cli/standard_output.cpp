#include "standard_output.h"

#include "exit_status.h"

#include "platform/standard_streams.h"

#include <cstdio>
#include <cstring>
#include <utility>

void StandardOutput::keep(SystemResult written) {
    if (error_ == 0) {
        error_ = written.error();
    }
}

void StandardOutput::write(std::string_view bytes) {
    keep(platform::writeStandardOutput(bytes));
}

void StandardOutput::record(const std::string& line, std::string lastWords) {
    keep(platform::writeStandardOutputRecord(line + "\n", std::move(lastWords)));
}

void StandardOutput::setLastWords(std::string lastWords) {
    platform::writeStandardOutputRecord({}, std::move(lastWords));
}

int StandardOutput::finish(int status) const {
    if (error_ == 0) {
        return status;
    }
    std::fprintf(stderr, "quillbox: error: cannot write to standard output: %s\n", std::strerror(error_));
    return status == exitstatus::usage ? status : exitstatus::failed;
}
