#include "xml/EncodingConverter.h"

#include <cerrno>
#include <iconv.h>

struct EncodingConverter::State {
    iconv_t handle;
    std::string pending;
};

EncodingConverter::EncodingConverter(const std::string& from)
    : m_state(new State{iconv_open("UTF-8", from.c_str()), {}}) {}

EncodingConverter::~EncodingConverter() {
    if (ok())
        iconv_close(m_state->handle);
}

bool EncodingConverter::ok() const {
    return m_state->handle != reinterpret_cast<iconv_t>(-1);
}

bool EncodingConverter::convert(std::string_view input, bool last, std::string& output) {
    std::string& pending = m_state->pending;
    pending.append(input);
    output.clear();
    char* in = pending.data();
    size_t inLeft = pending.size();
    while (inLeft > 0) {
        char buffer[1 << 16];
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(m_state->handle, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (result != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        if (errno == EINVAL && !last)
            break;
        pending.erase(0, pending.size() - inLeft);
        return false;
    }
    pending.erase(0, pending.size() - inLeft);
    return true;
}
