#pragma once

#include <QString>

// Holds the file that a save is about to replace open, from before the rename until the hold ends.
// Replacing a file frees the old one's blocks, which takes long for a large file on a disk that
// discards freed blocks; held open, the old file is freed only when it is closed, and that close
// happens on a worker thread, away from the window. Only where the system lets a file be held so.
class ReplacedFileHold {
public:
    explicit ReplacedFileHold(const QString& path);
    ~ReplacedFileHold();
    ReplacedFileHold(const ReplacedFileHold&) = delete;
    ReplacedFileHold& operator=(const ReplacedFileHold&) = delete;

private:
    int m_handle = -1;
};
