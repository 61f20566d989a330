// Replays a fuzz target's corpus without libFuzzer, so any compiler can run it: every file of the
// directories named on the command line (and every file named itself) goes once through
// LLVMFuzzerTestOneInput, in name order. A broken expectation aborts on the file named last.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> inputsOf(const std::vector<std::filesystem::path>& arguments) {
    std::vector<std::filesystem::path> inputs;
    for (const std::filesystem::path& argument : arguments) {
        if (!std::filesystem::is_directory(argument)) {
            inputs.push_back(argument);
            continue;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argument)) {
            if (entry.is_regular_file()) {
                inputs.push_back(entry.path());
            }
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::filesystem::path> inputs = inputsOf({argv + 1, argv + argc});
    // An empty or missing corpus must not pass as a replayed one.
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: %s CORPUS_DIRECTORY_OR_FILE...: no input found\n", argv[0]);
        return 2;
    }
    for (const std::filesystem::path& input : inputs) {
        std::ifstream file(input, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (!file.good() && !file.eof()) {
            std::fprintf(stderr, "%s: cannot be read\n", input.string().c_str());
            return 2;
        }
        std::printf("%s\n", input.string().c_str());
        std::fflush(stdout);
        // A buffer of exactly the input's size, so the sanitizers see a read past its end.
        const auto data = std::make_unique<std::uint8_t[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), data.get());
        LLVMFuzzerTestOneInput(data.get(), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
