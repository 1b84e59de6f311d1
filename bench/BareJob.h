#pragma once

#include <string>
#include <string_view>
#include <vector>

// The practical limit of each job: what a plain program does with the lines already in memory, a
// hash set over the lines themselves and no window, no event loop. bare_job runs it on files;
// speed_gate times it beside the commands.
namespace BareJob {

// The whole file; throws std::runtime_error when it cannot be read.
std::string readFile(const char* path);

// Lines without their CR LF (or LF) ends.
std::vector<std::string_view> splitLines(std::string_view bytes);

// minus, keep: the lines that are (not) in `other`; first, last: each text once, at its first or last
// place; blanks: no empty lines; with, without: leave out the lines that contain (lack) `text`.
// Throws std::runtime_error for an unknown job.
std::vector<std::string_view> run(const std::string& job, const std::vector<std::string_view>& lines,
                                  const std::vector<std::string_view>& other, std::string_view text);

// The lines, each followed by CR LF, as one text.
std::string joined(const std::vector<std::string_view>& lines);

}  // namespace BareJob
