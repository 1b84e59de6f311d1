#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <optional>

// Every call that only some systems or compilers offer, each with a portable fallback from Qt or the
// standard library. BRINDLEWICK_PORTABLE builds the fallbacks everywhere, so the code that Windows and
// macOS compile is also built and tested on Linux.
#if defined(__GNUC__) && !defined(BRINDLEWICK_PORTABLE)
#define BRINDLEWICK_GNU_BUILTINS 1
#endif

namespace Platform {

struct Wide {
    std::uint64_t low;
    std::uint64_t high;
};

// The full 128-bit product of two 64-bit numbers.
inline Wide multiplyWide(std::uint64_t a, std::uint64_t b) {
#ifdef BRINDLEWICK_GNU_BUILTINS
    // One multiply instruction instead of four, on the hash of every item.
    __extension__ using Product = unsigned __int128;
    const Product product = Product(a) * b;
    return {std::uint64_t(product), std::uint64_t(product >> 64)};
#else
    const std::uint64_t aLow = a & 0xffffffffu, aHigh = a >> 32;
    const std::uint64_t bLow = b & 0xffffffffu, bHigh = b >> 32;
    const std::uint64_t lowLow = aLow * bLow, highLow = aHigh * bLow;
    const std::uint64_t lowHigh = aLow * bHigh, highHigh = aHigh * bHigh;
    // (2^32 - 1)^2 plus two numbers below 2^32 still fits in 64 bits: the middle sum cannot overflow.
    const std::uint64_t middle = (lowLow >> 32) + (highLow & 0xffffffffu) + lowHigh;
    return {(middle << 32) | (lowLow & 0xffffffffu), highHigh + (highLow >> 32) + (middle >> 32)};
#endif
}

// Starts loading the memory at `address` into the cache; a hint that changes no result.
inline void prefetch([[maybe_unused]] const void* address) {
#ifdef BRINDLEWICK_GNU_BUILTINS
    // Lets a lookup's memory arrive while the items before it are still being worked on.
    __builtin_prefetch(address);
#endif
}

// `bytes` of zeroed memory, or nullptr. Straight from the system where it can: its fresh pages are zero
// and cost nothing until touched, where memory that the allocator kept from earlier use would first
// have to be cleared, all at once. Give it back with freeZeroed() and the same size.
void* allocateZeroed(size_t bytes);
void freeZeroed(void* memory, size_t bytes);
// Hands the pages wholly inside `bytes` at `memory` back to the system; the memory stays usable (it
// reads as zeros or as before). Freeing a large block all at once holds the process's memory map for
// a long while, which stalls every other thread that maps memory: this lets it go in pieces first.
void discardPages(void* memory, size_t bytes);

// Starts writing an open file's unwritten bytes to the disk, without waiting for them.
void startWritingToDisk(int handle);

// Opens the file at `path` only to keep it on the disk until closeHeldFile(), also after it has been
// replaced; -1 where it is not held.
int holdFile(const QString& path);
void closeHeldFile(int handle);

// Opens the null device on each of the standard streams that the process was started without, so that
// no file opened later takes its number and gets what was meant for the stream. Reads from standard
// input and writes to standard output and standard error then fail, as they would on the closed stream.
void guardStandardStreams();

// The memory the system has left for programs, in bytes; nothing where the system does not tell.
std::optional<qint64> availableMemoryBytes();
// The most address space the process may map (RLIMIT_AS), and what it maps now; nothing where the
// system sets no limit or does not tell.
std::optional<qint64> addressSpaceLimitBytes();
std::optional<qint64> mappedBytes();

}  // namespace Platform
