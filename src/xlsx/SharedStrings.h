#pragma once

#include <QtGlobal>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class PartText;
class TextPool;

// A text as the saved file holds it, and how many characters of it had to go. Readers of the
// format turn "_xHHHH_" into the character HHHH, so such a run gets its underscore escaped;
// the file's limit counts the escaped text, so a long text of such runs loses more of its end.
struct SavedText {
    std::string escaped;
    qint64 charactersCut = 0;
};
SavedText savedText(std::string_view text);
// The same for a cell's text, or none when the file holds the text as it is, as it mostly does.
std::optional<SavedText> changedForSaving(std::string_view text);
// Appends a text the file holds (see savedText) as a `<t>` element: escaped, and marked to keep
// whitespace at either end, which a reader would otherwise drop.
void appendTextElement(std::string& out, std::string_view saved);

// Appends a text as a part holds it: markup escaped, and a control character the file cannot
// hold as "_xHHHH_"; in an attribute's value also the double quote, and tab and line breaks as
// references, which a reader would otherwise take for spaces.
void appendEscaped(std::string& out, std::string_view text, bool inAttribute);

// The texts of a workbook being saved, each distinct text stored once and numbered in the order
// in which the sheets first use it, as the file's shared strings part lists them.
class SharedStrings {
public:
    // Begins the texts of the next sheet, whose cells name texts of `pool`.
    void beginSheet(const TextPool& pool);
    // The number in the file of text `text` of the current sheet's pool.
    std::uint32_t numberOf(std::uint32_t text) {
        std::uint32_t& number = m_numbers[text];
        if (number == kUnnumbered)
            number = take(text);
        ++m_uses;
        return number;
    }
    // How many characters the file's text `number` lost to the file's limit; mostly 0.
    qint64 charactersCut(std::uint32_t number) const;

    // Whether the part may outgrow what a plain zip entry records.
    bool mayBeLarge() const;

    // Writes the shared strings part: every text once, in order.
    void write(PartText& part) const;

private:
    static constexpr std::uint32_t kUnnumbered = UINT32_MAX;
    std::uint32_t take(std::uint32_t text);
    void index(std::uint32_t number);

    const TextPool* m_pool = nullptr;
    std::vector<std::uint32_t> m_numbers;
    std::vector<std::string_view> m_texts;
    std::uint64_t m_textBytes = 0;
    // Texts that saving changed; a deque so that views of them stay valid.
    std::deque<std::string> m_changed;
    std::unordered_map<std::uint32_t, qint64> m_cut;
    // Found by content once a second sheet may use a text that an earlier one stored.
    std::vector<std::uint32_t> m_slots;
    std::uint32_t m_indexed = 0;
    int m_sheetsWithTexts = 0;
    std::uint64_t m_uses = 0;
};
