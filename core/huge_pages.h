// A hint to the kernel for large heap blocks written or read end to end.
#pragma once

#include <cstddef>

// Asks for 2 MB pages over the whole 2 MB pages inside a block of at least
// 4 MB: they spare the kernel most of its page faults on a large model. A
// hint only; smaller blocks are left alone.
void adviseHugePages(void* block, size_t bytes);
