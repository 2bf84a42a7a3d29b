#pragma once

// The allocator's side of large imports, which free much memory on many threads. Once a large
// block is freed, glibc raises its mmap and trim thresholds for the rest of the process, and the
// arenas of worker threads then keep megabytes each that no trim gives back. A fixed threshold
// keeps them trimming. Process-wide; installed before every import, once.
namespace HeapTrimming {

void install();
// Gives the free memory of every arena back to the system.
void releaseFreeMemory();

} // namespace HeapTrimming
