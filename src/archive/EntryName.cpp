#include "archive/EntryName.h"

#include <QStringDecoder>

#include <array>
#include <optional>

namespace {
constexpr std::uint32_t kUtf8Flag = 1u << 11;
constexpr std::uint16_t kUnicodePathField = 0x7075;

// CP437 from 0x80 up; below, it is ASCII.
constexpr std::array<char16_t, 128> kCp437Upper = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

std::optional<QString> strictUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString cp437(std::string_view bytes) {
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (const char c : bytes) {
        const auto octet = static_cast<unsigned char>(c);
        text += octet < 0x80 ? QChar(octet) : QChar(kCp437Upper[octet - 0x80]);
    }
    return text;
}

std::uint32_t little(std::string_view bytes, size_t at, size_t width) {
    std::uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value |= std::uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

// The CRC-32 of the zip format, bit by bit: it is only ever taken of a name.
std::uint32_t crc32Of(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Info-ZIP's Unicode path field: the name in UTF-8, valid only while the CRC it holds is that
// of the name beside it, which a tool unaware of the field may have changed since.
std::optional<std::string_view> unicodePath(std::string_view raw, std::string_view extra) {
    for (size_t at = 0; at + 4 <= extra.size();) {
        const std::uint32_t id = little(extra, at, 2);
        const size_t size = little(extra, at + 2, 2);
        if (at + 4 + size > extra.size())
            break;
        const std::string_view data = extra.substr(at + 4, size);
        if (id == kUnicodePathField && size >= 5 && data[0] == 1 &&
            little(data, 1, 4) == crc32Of(raw))
            return data.substr(5);
        at += 4 + size;
    }
    return std::nullopt;
}
} // namespace

EntryName decodeEntryName(std::string_view raw, std::uint32_t flags, std::string_view extraField) {
    const QString lossy = QString::fromUtf8(raw.data(), qsizetype(raw.size()));
    if (raw.find('\0') != std::string_view::npos)
        return {lossy, false};
    std::optional<std::string_view> marked;
    if (flags & kUtf8Flag)
        marked = raw;
    else
        marked = unicodePath(raw, extraField);
    if (marked) {
        std::optional<QString> text = strictUtf8(*marked);
        if (!text || marked->find('\0') != std::string_view::npos)
            return {QString::fromUtf8(marked->data(), qsizetype(marked->size())), false};
        return {*text, true};
    }
    if (std::optional<QString> text = strictUtf8(raw))
        return {*text, true};
    return {cp437(raw), true};
}
