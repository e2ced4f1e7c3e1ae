#pragma once

#include <memory>
#include <string>
#include <string_view>

// Converts a document from an encoding the parser does not read itself to UTF-8, piece by
// piece: with iconv here, with the code pages of Windows there.
class EncodingConverter {
public:
    explicit EncodingConverter(const std::string& from);
    ~EncodingConverter();
    EncodingConverter(const EncodingConverter&) = delete;
    EncodingConverter& operator=(const EncodingConverter&) = delete;

    // False when the system has no such encoding.
    bool ok() const;

    // Converts `input` (with what was left over from the last piece) into `output`; gives false
    // on a byte sequence that the encoding does not have, with `output` holding the text before
    // it.
    bool convert(std::string_view input, bool last, std::string& output);

private:
    struct State;
    std::unique_ptr<State> m_state;
};
