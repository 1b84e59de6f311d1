// The practical limit: one job done by a plain program with a hash set over the file's lines, no
// window, no event loop. bare_job JOB OUTPUT LIST1 [LIST2 | TEXT]
//   minus, keep: LIST1's lines that are (not) in LIST2; first, last: each text once, at its first or
//   last place; blanks: no empty lines; with, without: drop the lines that contain (lack) TEXT.
#include "BareJob.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

void writeFile(const char* path, const std::string& bytes) {
    std::FILE* out = std::fopen(path, "wb");
    if (!out) throw std::runtime_error(std::string("cannot write ") + path);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) throw std::runtime_error(std::string("cannot write ") + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s JOB OUTPUT LIST1 [LIST2 | TEXT]\n", argv[0]);
        return 2;
    }
    try {
        const std::string job = argv[1];
        const std::string bytes = BareJob::readFile(argv[3]);
        std::string otherBytes;
        if ((job == "minus" || job == "keep") && argc > 4) otherBytes = BareJob::readFile(argv[4]);
        const std::string_view text = argc > 4 ? argv[4] : "";
        const auto kept =
            BareJob::run(job, BareJob::splitLines(bytes), BareJob::splitLines(otherBytes), text);
        writeFile(argv[2], BareJob::joined(kept));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bare_job: %s\n", e.what());
        return 1;
    }
    return 0;
}
