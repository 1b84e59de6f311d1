// How the practical limit grows with the list: each job of bare_job done in memory on the lists that
// bench/benchmark generated, at each size, and its time at the last size over its time at the first.
// Reading and writing files are left out, as the benchmark's command times leave them out.
//   bare_scale FOLDER SIZE... [--runs N]     e.g. bare_scale build-bench/bench-data 1000000 20000000
#include "BareJob.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <string>
#include <vector>

namespace {

const char* const kJobs[] = {"minus", "keep", "first", "last", "blanks", "with", "without"};
// The text the benchmark types for Items With / Without.
constexpr const char* kSearch = "mail";

double medianSecondsOf(const std::string& job, const std::vector<std::string_view>& lines,
                       const std::vector<std::string_view>& other, int runs) {
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const auto kept = BareJob::run(job, lines, other, kSearch);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> sizes;
    int runs = 3;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            sizes.push_back(argv[i]);
    }
    if (argc < 3 || sizes.empty()) {
        std::fprintf(stderr, "usage: %s FOLDER SIZE... [--runs N]\n", argv[0]);
        return 2;
    }
    try {
        std::map<std::string, std::vector<double>> times;
        std::printf("bare_job's jobs in memory, median of %d runs, seconds\n%-10s", runs, "job");
        for (const std::string& size : sizes) std::printf(" %12s", size.c_str());
        std::printf(" %8s\n", "ratio");
        for (const std::string& size : sizes) {
            const std::string folder = argv[1];
            const std::string bytes = BareJob::readFile((folder + "/list1-" + size + ".txt").c_str());
            const std::string otherBytes = BareJob::readFile((folder + "/list2-" + size + ".txt").c_str());
            const auto lines = BareJob::splitLines(bytes);
            const auto other = BareJob::splitLines(otherBytes);
            for (const char* job : kJobs) times[job].push_back(medianSecondsOf(job, lines, other, runs));
        }
        for (const char* job : kJobs) {
            const std::vector<double>& t = times[job];
            std::printf("%-10s", job);
            for (const double seconds : t) std::printf(" %12.3f", seconds);
            std::printf(" %8.1f\n", t.front() > 0 ? t.back() / t.front() : 0.0);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bare_scale: %s\n", e.what());
        return 1;
    }
    return 0;
}
