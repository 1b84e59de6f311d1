#pragma once

#include <QtGlobal>

// What the benchmark and the speed gate measure of their own process: memory and processor time.
namespace ProcessUse {

// The process's resident memory now and at its peak, in bytes; -1 where the system does not tell.
qint64 residentBytes();
qint64 peakResidentBytes();
// The processor time all the process's threads have used, in seconds.
double processCpuSeconds();
// The processor time the calling thread has used, in seconds; where the system does not tell, the
// whole process's.
double threadCpuSeconds();
// Hands freed heap back to the system and lowers the peak to the current size. False where the peak
// cannot be reset.
bool resetPeakResident();

}  // namespace ProcessUse
