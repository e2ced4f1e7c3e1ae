#include "sheet/TextPool.h"

#include "base/RuntimeError.h"

#include <algorithm>
#include <cstring>

namespace {
// Pages grow from a small first one, so that a sheet of a few texts takes little room, to a size
// that holds the longest text a cell keeps (32,767 characters of up to three bytes, or
// surrogate pairs of four) several times over.
constexpr std::size_t kFirstPageBytes = 512;
constexpr std::size_t kLargestPageBytes = std::size_t{1} << 20;
constexpr std::size_t kLongestText = (std::size_t{1} << 17) - 1;

// Masking only tells the compiler what holds already: a page's number, an offset in a page and
// a text's length fit their fields. The one exception, a full page's end as an offset, is only
// ever taken by an empty text, which reads nothing wherever it points.
template <int Bits> constexpr std::size_t kFieldMask = (std::size_t{1} << Bits) - 1;

// Every cell's text is looked up here, most of them element paths of a few dozen bytes: eight
// bytes are mixed at a time, which takes a third of what the standard library's hash takes.
std::size_t hashOf(std::string_view text) {
    constexpr std::uint64_t kOdd = 0x9E3779B97F4A7C15ull;
    constexpr std::uint64_t kOther = 0xD6E8FEB86659FD93ull;
    const char* at = text.data();
    std::size_t left = text.size();
    std::uint64_t hash = kOther ^ left;
    const auto mix = [&](std::uint64_t word) {
        hash = (hash ^ word) * kOdd;
        hash ^= hash >> 29;
    };
    for (; left >= 8; left -= 8, at += 8) {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof word);
        mix(word);
    }
    // The last bytes are read in loads of fixed size, which overlap rather than copy byte by byte.
    if (left > 0) {
        std::uint64_t word;
        if (text.size() >= 8) {
            std::memcpy(&word, text.data() + text.size() - 8, 8);
        } else if (left >= 4) {
            std::uint32_t first, last;
            std::memcpy(&first, at, 4);
            std::memcpy(&last, at + left - 4, 4);
            word = (std::uint64_t{first} << 32) | last;
        } else {
            word = (std::uint64_t{static_cast<unsigned char>(at[0])} << 16) |
                   (std::uint64_t{static_cast<unsigned char>(at[left / 2])} << 8) |
                   static_cast<unsigned char>(at[left - 1]);
        }
        mix(word);
    }
    hash *= kOther;
    return static_cast<std::size_t>(hash ^ (hash >> 32));
}
} // namespace

TextPool::TextPool(const TextPool& other)
    : m_pageSizes(other.m_pageSizes), m_pageUsed(other.m_pageUsed), m_entries(other.m_entries),
      m_slots(other.m_slots) {
    m_pages.reserve(other.m_pages.size());
    for (size_t i = 0; i < other.m_pages.size(); ++i) {
        m_pages.push_back(std::make_unique_for_overwrite<char[]>(m_pageSizes[i]));
        std::memcpy(m_pages.back().get(), other.m_pages[i].get(), m_pageSizes[i]);
    }
}

std::string_view TextPool::keep(std::string_view text) {
    if (text.size() > kLongestText)
        throw RuntimeError(
            QStringLiteral("A text of %1 bytes is longer than a cell holds").arg(text.size()));
    if (m_pages.empty() || m_pageUsed + text.size() > m_pageSizes.back()) {
        const std::size_t next = m_pages.empty()
                                     ? std::max(kFirstPageBytes, m_firstPageBytes)
                                     : std::min(m_pageSizes.back() * 2, kLargestPageBytes);
        m_pageSizes.push_back(std::max(next, text.size()));
        m_pages.push_back(std::make_unique_for_overwrite<char[]>(m_pageSizes.back()));
        m_pageUsed = 0;
    }
    char* at = m_pages.back().get() + m_pageUsed;
    std::memcpy(at, text.data(), text.size());
    static_assert(kLargestPageBytes <= kFieldMask<Entry::kOffsetBits> + 1);
    static_assert(kLongestText <= kFieldMask<Entry::kLengthBits>);
    m_entries.push_back(Entry{(m_pages.size() - 1) & kFieldMask<Entry::kPageBits>,
                              m_pageUsed & kFieldMask<Entry::kOffsetBits>,
                              text.size() & kFieldMask<Entry::kLengthBits>});
    m_pageUsed += text.size();
    return {at, text.size()};
}

void TextPool::reserve(std::size_t count, std::size_t bytes) {
    if (m_pages.empty())
        m_firstPageBytes = std::clamp(bytes, kFirstPageBytes, kLargestPageBytes);
    m_entries.reserve(count);
    std::size_t tableSize = 16;
    while (tableSize < count * 2)
        tableSize *= 2;
    if (tableSize > m_slots.size())
        growTable(tableSize);
}

void TextPool::growTable(std::size_t tableSize) {
    std::vector<std::uint32_t> table(tableSize, 0);
    const std::size_t mask = table.size() - 1;
    for (std::uint32_t number = 0; number < size(); ++number) {
        std::size_t at = hashOf(text(number)) & mask;
        while (table[at] != 0)
            at = (at + 1) & mask;
        table[at] = number + 1;
    }
    m_slots = std::move(table);
}

std::uint32_t TextPool::intern(std::string_view text) {
    // Kept at most half full, so that a search ends soon at a free slot.
    if ((m_entries.size() + 1) * 2 > m_slots.size())
        growTable(m_slots.empty() ? 16 : m_slots.size() * 2);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = hashOf(text) & mask;
    for (; m_slots[at] != 0; at = (at + 1) & mask) {
        const std::uint32_t number = m_slots[at] - 1;
        if (this->text(number) == text)
            return number;
    }
    keep(text);
    m_slots[at] = size();
    return size() - 1;
}

void TextPool::goBackTo(const Mark& mark) {
    if (mark.texts >= m_entries.size())
        return;
    m_entries.resize(mark.texts);
    m_entries.shrink_to_fit();
    m_pages.resize(mark.pages);
    m_pageSizes.resize(mark.pages);
    m_pageUsed = mark.pageUsed;
    // The texts that stay are found again in a table of their own size.
    std::size_t tableSize = 16;
    while (tableSize < m_entries.size() * 2)
        tableSize *= 2;
    growTable(tableSize);
}
