#pragma once
// quillbox-cli inspect: the layers of each document, as far as they can be seen without decrypting.
#include "command.h"

class InspectCommand : public Command {
public:
    const CommandDeclaration& declaration() const override { return inspectDeclaration(); }
    int run(const std::vector<std::string>& arguments) override;
};
