#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quillbox-cli %s\n", QUILLBOX_VERSION);
        return 0;
    }
    std::fprintf(stderr, "usage: quillbox-cli open [options] INPUT... | inspect INPUT... | --help | --version\n");
    return 2;
}
