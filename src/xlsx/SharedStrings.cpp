#include "xlsx/SharedStrings.h"

#include "sheet/TextPool.h"
#include "sheet/Worksheet.h"
#include "xlsx/PartText.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>

namespace {
bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isEscapeRun(std::string_view text, size_t at) {
    return text[at] == '_' && at + 6 < text.size() &&
           (text[at + 1] == 'x' || text[at + 1] == 'X') && text[at + 6] == '_' &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at) + 2,
                       text.begin() + static_cast<std::ptrdiff_t>(at) + 6, isHexDigit);
}

std::string protectEscapes(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (isEscapeRun(text, i)) {
            result.append("_x005F_");
            continue;
        }
        result.push_back(text[i]);
    }
    return result;
}

size_t codePoints(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool needsProtection(std::string_view text) {
    for (size_t at = text.find('_'); at != std::string_view::npos; at = text.find('_', at + 1))
        if (isEscapeRun(text, at))
            return true;
    return false;
}

// The characters that the file cannot hold as they are; they are written as "_xHHHH_".
bool isControl(unsigned char c) {
    return c < 0x20 && c != '\t' && c != '\n';
}

std::size_t hashOf(std::string_view text) {
    return std::hash<std::string_view>{}(text);
}
} // namespace

void appendEscaped(std::string& out, std::string_view text, bool inAttribute) {
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            continue;
        case '<':
            out += "&lt;";
            continue;
        case '>':
            out += "&gt;";
            continue;
        default:
            break;
        }
        if (inAttribute) {
            const char* reference = c == '"'    ? "&quot;"
                                    : c == '\t' ? "&#9;"
                                    : c == '\n' ? "&#10;"
                                    : c == '\r' ? "&#13;"
                                                : nullptr;
            if (reference) {
                out += reference;
                continue;
            }
        }
        if (isControl(static_cast<unsigned char>(c))) {
            static const char digits[] = "0123456789ABCDEF";
            out += "_x00";
            out += digits[(c >> 4) & 0xF];
            out += digits[c & 0xF];
            out += '_';
        } else {
            out += c;
        }
    }
}

SavedText savedText(std::string_view text) {
    std::string_view kept = fitIntoCell(text).kept;
    std::string escaped = protectEscapes(kept);
    for (size_t count = codePoints(escaped); count > static_cast<size_t>(kMaxCellCharacters);
         count = codePoints(escaped)) {
        // One character at a time: its continuation bytes, then the byte that leads it.
        for (size_t excess = count - kMaxCellCharacters; excess > 0 && !kept.empty(); --excess) {
            while (!kept.empty() && (static_cast<unsigned char>(kept.back()) & 0xC0) == 0x80)
                kept.remove_suffix(1);
            if (!kept.empty())
                kept.remove_suffix(1);
        }
        escaped = protectEscapes(kept);
    }
    return {std::move(escaped), utf16Length(text) - utf16Length(kept)};
}

void SharedStrings::beginSheet(const TextPool& pool) {
    m_pool = &pool;
    m_numbers.assign(pool.size(), kUnnumbered);
    if (pool.size() > 0)
        ++m_sheetsWithTexts;
    // The first sheet's texts are distinct already; later sheets look earlier texts up.
    if (m_sheetsWithTexts > 1)
        while (m_indexed < m_texts.size())
            index(m_indexed);
}

void SharedStrings::index(std::uint32_t number) {
    if ((std::size_t{number} + 1) * 2 > m_slots.size()) {
        std::vector<std::uint32_t> table(std::max<size_t>(1024, m_slots.size() * 2), 0);
        for (std::uint32_t old = 0; old < number; ++old) {
            size_t at = hashOf(m_texts[old]) & (table.size() - 1);
            while (table[at] != 0)
                at = (at + 1) & (table.size() - 1);
            table[at] = old + 1;
        }
        m_slots = std::move(table);
    }
    size_t at = hashOf(m_texts[number]) & (m_slots.size() - 1);
    while (m_slots[at] != 0)
        at = (at + 1) & (m_slots.size() - 1);
    m_slots[at] = number + 1;
    m_indexed = number + 1;
}

std::optional<SavedText> changedForSaving(std::string_view text) {
    if (!needsProtection(text))
        return std::nullopt;
    return savedText(text);
}

void appendTextElement(std::string& out, std::string_view saved) {
    const size_t start = out.size();
    out.append("<t>");
    appendEscaped(out, saved, false);
    const auto spaceAt = [&](size_t at) {
        return out[at] == ' ' || out[at] == '\t' || out[at] == '\n';
    };
    if (out.size() > start + 3 && (spaceAt(start + 3) || spaceAt(out.size() - 1)))
        out.insert(start + 2, " xml:space=\"preserve\"");
    out.append("</t>");
}

std::uint32_t SharedStrings::take(std::uint32_t text) {
    std::string_view saved = m_pool->text(text);
    qint64 cut = 0;
    if (std::optional<SavedText> changed = changedForSaving(saved)) {
        cut = changed->charactersCut;
        saved = m_changed.emplace_back(std::move(changed->escaped));
    }
    if (!m_slots.empty()) {
        for (size_t at = hashOf(saved) & (m_slots.size() - 1); m_slots[at] != 0;
             at = (at + 1) & (m_slots.size() - 1))
            if (m_texts[m_slots[at] - 1] == saved)
                return m_slots[at] - 1;
    }
    const auto number = static_cast<std::uint32_t>(m_texts.size());
    m_texts.push_back(saved);
    m_textBytes += saved.size();
    if (cut > 0)
        m_cut.emplace(number, cut);
    if (m_sheetsWithTexts > 1)
        index(number);
    return number;
}

qint64 SharedStrings::charactersCut(std::uint32_t number) const {
    if (m_cut.empty())
        return 0;
    const auto found = m_cut.find(number);
    return found == m_cut.end() ? 0 : found->second;
}

bool SharedStrings::mayBeLarge() const {
    // Escaping makes a byte at most seven ("_x0001_"); each text adds its element.
    constexpr std::uint64_t kBytesPerTextAtMost = 40;
    return m_textBytes * 7 + m_texts.size() * kBytesPerTextAtMost >= 0xFFFFFFFFull;
}

void SharedStrings::write(PartText& part) const {
    char count[24];
    part.append("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst "
                "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"");
    part.append({count, std::to_chars(count, count + sizeof count, m_uses).ptr});
    part.append("\" uniqueCount=\"");
    part.append({count, std::to_chars(count, count + sizeof count, m_texts.size()).ptr});
    part.append("\">");
    std::string element;
    for (std::string_view text : m_texts) {
        element.assign("<si>");
        appendTextElement(element, text);
        element.append("</si>");
        part.append(element);
    }
    part.append("</sst>");
}
