#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// The texts of a sheet, each distinct text kept once and known by a small number, so that a
// cell holds a number instead of its own copy of a text repeated on thousands of rows.
class TextPool {
public:
    TextPool() = default;
    TextPool(const TextPool& other);
    TextPool& operator=(const TextPool&) = delete;

    // Makes room at once for about `count` texts of `bytes` bytes in all, so that a pool whose
    // size is known in advance does not grow step by step.
    void reserve(std::size_t count, std::size_t bytes);

    // The number of `text`, kept now if it was not kept before.
    std::uint32_t intern(std::string_view text);
    std::string_view text(std::uint32_t number) const {
        const Entry entry = m_entries[number];
        return {m_pages[entry.page].get() + entry.offset, entry.length};
    }
    std::uint32_t size() const { return static_cast<std::uint32_t>(m_entries.size()); }

    // How far the pool had come, for `goBackTo`.
    struct Mark {
        std::size_t texts = 0;
        std::size_t pages = 0;
        std::size_t pageUsed = 0;
    };
    Mark mark() const { return {m_entries.size(), m_pages.size(), m_pageUsed}; }
    // Forgets every text kept since `mark` and gives back the pages they took.
    void goBackTo(const Mark& mark);

private:
    // Where a text lies: texts are kept in pages that never move, so views stay valid.
    struct Entry {
        static constexpr int kPageBits = 27;
        static constexpr int kOffsetBits = 20;
        static constexpr int kLengthBits = 17;
        std::uint64_t page : kPageBits;
        std::uint64_t offset : kOffsetBits;
        std::uint64_t length : kLengthBits;
    };
    static_assert(sizeof(Entry) == 8);

    std::string_view keep(std::string_view text);
    void growTable(std::size_t tableSize);

    std::vector<std::unique_ptr<char[]>> m_pages;
    std::vector<std::size_t> m_pageSizes;
    std::size_t m_pageUsed = 0;
    std::size_t m_firstPageBytes = 0;
    std::vector<Entry> m_entries;
    // Open addressing: each slot holds a text's number plus one, 0 when free.
    std::vector<std::uint32_t> m_slots;
};
