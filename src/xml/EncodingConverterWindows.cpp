#include "xml/EncodingConverter.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <windows.h>

namespace {
// UTF-32 has no code page that MultiByteToWideChar takes; it is decoded here.
constexpr UINT kUtf32Little = 12000;
constexpr UINT kUtf32Big = 12001;

// The code page of an encoding name, as the names appear in XML declarations; 0 for one
// Windows does not have.
UINT codePageOf(std::string name) {
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const std::map<std::string, UINT> kNamed = {{"UTF-32LE", kUtf32Little},
                                                       {"UTF-32BE", kUtf32Big},
                                                       {"UTF-32", kUtf32Big},
                                                       {"UTF-7", 65000},
                                                       {"SHIFT_JIS", 932},
                                                       {"SHIFT-JIS", 932},
                                                       {"SJIS", 932},
                                                       {"WINDOWS-31J", 932},
                                                       {"CP932", 932},
                                                       {"EUC-JP", 20932},
                                                       {"ISO-2022-JP", 50220},
                                                       {"GB2312", 936},
                                                       {"GBK", 936},
                                                       {"CP936", 936},
                                                       {"GB18030", 54936},
                                                       {"BIG5", 950},
                                                       {"EUC-KR", 949},
                                                       {"KS_C_5601-1987", 949},
                                                       {"CP949", 949},
                                                       {"KOI8-R", 20866},
                                                       {"KOI8-U", 21866},
                                                       {"TIS-620", 874},
                                                       {"MACINTOSH", 10000},
                                                       {"IBM437", 437},
                                                       {"IBM850", 850},
                                                       {"IBM866", 866},
                                                       {"US-ASCII", 20127},
                                                       {"ISO-8859-13", 28603},
                                                       {"ISO-8859-15", 28605}};
    UINT codePage = 0;
    if (const auto found = kNamed.find(name); found != kNamed.end())
        codePage = found->second;
    else if (name.starts_with("ISO-8859-") && name.size() == 10 && name[9] >= '1' && name[9] <= '9')
        codePage = 28590 + static_cast<UINT>(name[9] - '0');
    else if (name.starts_with("WINDOWS-") || name.starts_with("CP"))
        codePage = static_cast<UINT>(std::atoi(name.c_str() + (name[0] == 'W' ? 8 : 2)));
    if (codePage == kUtf32Little || codePage == kUtf32Big)
        return codePage;
    return codePage != 0 && IsValidCodePage(codePage) ? codePage : 0;
}

// Code pages whose invalid sequences the system cannot be asked to report.
bool reportsInvalidSequences(UINT codePage) {
    return !(codePage == 65000 || codePage == 42 || (codePage >= 50220 && codePage <= 50229) ||
             (codePage >= 57002 && codePage <= 57011));
}
} // namespace

struct EncodingConverter::State {
    UINT codePage = 0;
    CPINFOEXW information{};
    std::string pending;
};

EncodingConverter::EncodingConverter(const std::string& from) : m_state(new State) {
    m_state->codePage = codePageOf(from);
    if (m_state->codePage && m_state->codePage != kUtf32Little && m_state->codePage != kUtf32Big)
        GetCPInfoExW(m_state->codePage, 0, &m_state->information);
}

EncodingConverter::~EncodingConverter() = default;

bool EncodingConverter::ok() const {
    return m_state->codePage != 0;
}

namespace {
// Converts all of `bytes`; false when a sequence is not in the code page.
bool decoded(UINT codePage, std::string_view bytes, std::wstring& text) {
    text.clear();
    if (bytes.empty())
        return true;
    const DWORD flags = reportsInvalidSequences(codePage) ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return false;
    text.resize(static_cast<size_t>(length));
    return MultiByteToWideChar(codePage, flags, bytes.data(), size, text.data(), length) == length;
}

// UTF-32 in the given byte order; false at a value that is no character.
bool decodedUtf32(bool big, std::string_view bytes, size_t& used, std::u32string& text) {
    used = 0;
    for (; used + 4 <= bytes.size(); used += 4) {
        const auto byte = [&](size_t at) {
            return static_cast<char32_t>(static_cast<unsigned char>(bytes[used + at]));
        };
        const char32_t value = big ? byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3)
                                   : byte(3) << 24 | byte(2) << 16 | byte(1) << 8 | byte(0);
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        text.push_back(value);
    }
    return true;
}

// How much of `bytes` ends on a whole character of a double-byte code page.
size_t wholeCharacters(UINT codePage, std::string_view bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t width = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[at])) ? 2 : 1;
        if (at + width > bytes.size())
            break;
        at += width;
    }
    return at;
}
} // namespace

bool EncodingConverter::convert(std::string_view input, bool last, std::string& output) {
    State& state = *m_state;
    state.pending.append(input);
    output.clear();
    const std::string_view bytes = state.pending;

    if (state.codePage == kUtf32Little || state.codePage == kUtf32Big) {
        std::u32string text;
        size_t used = 0;
        const bool valid = decodedUtf32(state.codePage == kUtf32Big, bytes, used, text);
        output = QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())).toStdString();
        state.pending.erase(0, used);
        return valid && !(last && !state.pending.empty());
    }

    // A piece may end inside a character. Single-byte and double-byte code pages are cut at
    // the last whole one; the others keep their state from byte to byte, and are converted
    // whole at the end.
    size_t ready = bytes.size();
    if (!last) {
        if (state.information.MaxCharSize == 2)
            ready = wholeCharacters(state.codePage, bytes);
        else if (state.information.MaxCharSize != 1)
            ready = 0;
    }
    std::wstring text;
    if (decoded(state.codePage, bytes.substr(0, ready), text)) {
        output = QString::fromStdWString(text).toStdString();
        state.pending.erase(0, ready);
        return true;
    }
    // The text before the first bad sequence, found by halving, places the error for the user.
    size_t good = 0;
    size_t bad = ready;
    while (bad - good > 1) {
        const size_t middle = good + (bad - good) / 2;
        (decoded(state.codePage, bytes.substr(0, middle), text) ? good : bad) = middle;
    }
    decoded(state.codePage, bytes.substr(0, good), text);
    output = QString::fromStdWString(text).toStdString();
    state.pending.erase(0, good);
    return false;
}
