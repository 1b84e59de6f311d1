// Writes the benchmark's lists: generate_lists FOLDER SIZE...
#include "ListGenerator.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    try {
        for (int i = 2; i < argc; ++i) {
            const std::int64_t items = std::stoll(argv[i]);
            const bool wrote = ListGenerator::ensureLists(argv[1], items);
            std::printf("%s %s\n", wrote ? "wrote" : "kept",
                        ListGenerator::listPath(argv[1], 1, items).c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "generate_lists: %s\n", e.what());
        return 1;
    }
    return 0;
}
