// Whether this build runs under AddressSanitizer: GCC says so by
// __SANITIZE_ADDRESS__, clang only through __has_feature. Such a build keeps
// the import child's address space open (the sanitizer's shadow lives
// there) and its system calls unfiltered (the sanitizer's runtime makes its
// own).
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define KESTRUNE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRUNE_ADDRESS_SANITIZER 1
#endif
#endif
