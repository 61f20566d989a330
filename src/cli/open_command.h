#pragma once
// quillbox-cli open: one INPUT is a single-file job, several are a batch job, as with the form.
#include "command.h"

class OpenCommand : public Command {
public:
    int run(const std::vector<std::string>& arguments) override;
};
