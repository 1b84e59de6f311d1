#pragma once

class MemoryProbe;
class QIODevice;
class Yielder;

namespace MemoryCheck {

// Refuses a list file whose items would not fit in the memory the system has left, before any of
// them is read: what they take in a pane is the file's size plus the per-item cost of its lines, and
// the longest line is held once more while it is read. Lines are counted only when the file is large
// enough for their number to matter. Throws RunTimeError "Out of memory"; says nothing when the probe
// knows no figure.
void requireRoomFor(QIODevice& file, const MemoryProbe& memory, Yielder& yielder);

}  // namespace MemoryCheck
