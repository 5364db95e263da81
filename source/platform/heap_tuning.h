#pragma once

// Heap settings for a program that fills a couple of hundred megabytes with
// pictures and texture storage at start-up. Much of that start-up is the
// kernel handing out fresh 4 KiB pages, one fault each (costly on virtual
// machines). With the heap on 2 MiB pages, and big buffers taken from the
// heap, where a freed one is used again instead of being given back and
// faulted in anew, the show's start-up fell from 0.9 s to 0.5 s on a 2-core
// virtual machine.

namespace platform {

// Call first thing in main, before any other thread or allocation matters.
// glibc takes large pages for its heap only when told so before the program
// starts (GLIBC_TUNABLES); unless the environment already says either way,
// this adds glibc.malloc.hugetlb=1 and executes the program again: same
// process, arguments and environment otherwise. Where that fails the
// program goes on as it is. Does nothing in sanitizer builds, whose
// allocator is not glibc's.
void useLargePageHeap(char** argv);

}  // namespace platform
