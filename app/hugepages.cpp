#include "hugepages.h"

#include <cstdlib> // which tells whether the C library is glibc

#if defined(__linux__) && defined(__GLIBC__)

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

void prepareHeapForHugePages()
{
    const int span = 64 << 20;
    const std::uintptr_t hugePage = 2 << 20;
    // From now on the heap grows by the span whenever it grows, and keeps
    // that much free at its top when memory is freed. An allocator that
    // takes no such advice (a sanitizer's) is left alone.
    if (mallopt(M_TOP_PAD, span) != 1)
        return;
    // Advice stops glibc from raising, as large blocks are freed, the size
    // from which it maps a block apart from the heap, faulted in anew each
    // time: it is set at once to the most glibc would raise it to, so that
    // large blocks that come and go (a long text's layouts, glyph caches)
    // come from the heap as they would.
    mallopt(M_MMAP_THRESHOLD, int(4 * 1024 * 1024 * sizeof(long)));
    char *const start = static_cast<char *>(sbrk(0));
    // Blocks small enough to come from the heap, until it grows.
    std::vector<void *> blocks;
    while (sbrk(0) == start && blocks.size() < 64)
        blocks.push_back(std::malloc(64 << 10));
    for (void *block : blocks)
        std::free(block);
    char *const end = static_cast<char *>(sbrk(0));
    char *const from =
        reinterpret_cast<char *>((reinterpret_cast<std::uintptr_t>(start) + hugePage - 1) & ~(hugePage - 1));
    if (end > from)
        madvise(from, std::size_t(end - from), MADV_HUGEPAGE);
}

#else

void prepareHeapForHugePages() { }

#endif
