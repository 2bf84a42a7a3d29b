#include "HeapTrimming.h"

#include <mutex>

#include <malloc.h>

namespace HeapTrimming {

void install()
{
    // Blocks from 512 KiB up (encoded libraries, track lists) get their own mappings, returned
    // when freed; the read-ahead buffers of tag reading stay below and are reused.
    constexpr int mmapThreshold = 512 * 1024;
    static std::once_flag once;
    std::call_once(once, [] { ::mallopt(M_MMAP_THRESHOLD, mmapThreshold); });
}

void releaseFreeMemory()
{
    ::malloc_trim(0);
}

} // namespace HeapTrimming
