#pragma once

#include <cstddef>
#include <cstdint>

// Lets a test run the program short of memory, as a machine that has no more to give: while a
// limit lives, operator new raises std::bad_alloc for what would take the memory the program
// holds beyond `bytes` more than it held when the limit began. Memory given back while it lives
// makes room again, so a test can also see that a failure gave back what it took. Counts what
// every thread takes through operator new (not what C code takes with malloc). Only where the
// C library says how large a block is (glibc); elsewhere `available()` is false.
class AllocationLimit {
public:
    explicit AllocationLimit(std::size_t bytes);
    ~AllocationLimit();
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

    static bool available();
    // The bytes taken since the limit began, less those given back; below 0 when more was
    // given back than taken.
    static std::int64_t taken();
};
