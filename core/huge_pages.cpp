#include "core/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>

void adviseHugePages(void* block, size_t bytes) {
    const uintptr_t hugePage = uintptr_t{1} << 21;
    if (block == nullptr || bytes < 2 * hugePage) return;
    uintptr_t begin = (reinterpret_cast<uintptr_t>(block) + hugePage - 1) & ~(hugePage - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(hugePage - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
