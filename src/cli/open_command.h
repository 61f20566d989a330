#pragma once
// quillbox-cli open: one INPUT is a single-file job, several are a batch job, as with the form.
#include "command.h"

#include "pipeline/job_key_store.h"

#include <utility>

class OpenCommand : public Command {
public:
    // openKeyStore: how the personal certificate store is opened (tests stand in for it).
    explicit OpenCommand(KeyStoreOpener openKeyStore = openUserKeyStore)
        : openKeyStore_(std::move(openKeyStore)) {}

    const CommandDeclaration& declaration() const override { return openDeclaration(); }
    int run(const std::vector<std::string>& arguments) override;

private:
    KeyStoreOpener openKeyStore_;
};
