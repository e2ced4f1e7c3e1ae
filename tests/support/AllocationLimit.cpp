#include "support/AllocationLimit.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__GLIBC__)
#include <malloc.h>

namespace {
std::atomic<bool> g_limited{false};
std::atomic<std::int64_t> g_taken{0};
std::atomic<std::int64_t> g_budget{0};

// A block's true size, so that taking and giving back count alike.
std::int64_t sizeOf(void* block) {
    return static_cast<std::int64_t>(malloc_usable_size(block));
}

void* take(std::size_t size, std::size_t alignment) {
    const std::size_t wanted = size == 0 ? 1 : size;
    const bool limited = g_limited.load(std::memory_order_acquire);
    if (limited && g_taken.load(std::memory_order_relaxed) + static_cast<std::int64_t>(wanted) >
                       g_budget.load(std::memory_order_relaxed))
        return nullptr;
    void* block =
        alignment <= alignof(std::max_align_t)
            ? std::malloc(wanted)
            : std::aligned_alloc(alignment, (wanted + alignment - 1) / alignment * alignment);
    if (block && limited)
        g_taken.fetch_add(sizeOf(block), std::memory_order_relaxed);
    return block;
}

void give(void* block) noexcept {
    if (!block)
        return;
    if (g_limited.load(std::memory_order_acquire))
        g_taken.fetch_sub(sizeOf(block), std::memory_order_relaxed);
    std::free(block);
}

void* takeOrRaise(std::size_t size, std::size_t alignment) {
    if (void* block = take(size, alignment))
        return block;
    throw std::bad_alloc();
}
} // namespace

AllocationLimit::AllocationLimit(std::size_t bytes) {
    g_taken.store(0, std::memory_order_relaxed);
    g_budget.store(static_cast<std::int64_t>(bytes), std::memory_order_relaxed);
    g_limited.store(true, std::memory_order_release);
}

AllocationLimit::~AllocationLimit() {
    g_limited.store(false, std::memory_order_release);
}

bool AllocationLimit::available() {
    return true;
}

std::int64_t AllocationLimit::taken() {
    return g_taken.load(std::memory_order_relaxed);
}

// The replaceable forms of operator new and delete, every one of them, so that no allocation
// of the program passes the limit by another form.
void* operator new(std::size_t size) {
    return takeOrRaise(size, 0);
}
void* operator new[](std::size_t size) {
    return takeOrRaise(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return takeOrRaise(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return takeOrRaise(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return take(size, 0);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return take(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return take(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return take(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* block) noexcept {
    give(block);
}
void operator delete[](void* block) noexcept {
    give(block);
}
void operator delete(void* block, std::size_t) noexcept {
    give(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    give(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    give(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    give(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    give(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    give(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    give(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    give(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    give(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    give(block);
}
#else
AllocationLimit::AllocationLimit(std::size_t) {}
AllocationLimit::~AllocationLimit() = default;
bool AllocationLimit::available() {
    return false;
}
std::int64_t AllocationLimit::taken() {
    return 0;
}
#endif
