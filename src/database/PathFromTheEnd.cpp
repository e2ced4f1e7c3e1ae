#include "database/PathFromTheEnd.h"

#include <algorithm>

PathFromTheEnd::PathFromTheEnd(std::size_t maxBytes)
    : m_budget(maxBytes - std::min<std::size_t>(maxBytes, 4)) {}

bool PathFromTheEnd::takeAbove(const std::string& name) {
    if (m_bytes + name.size() + 1 > m_budget && !m_names.empty()) {
        m_shortened = true;
        return false;
    }
    m_names.push_back(&name);
    m_bytes += name.size() + 1;
    return true;
}

std::string PathFromTheEnd::text() const {
    std::string path = m_shortened ? "..." : "";
    path.reserve(path.size() + m_bytes);
    for (auto name = m_names.rbegin(); name != m_names.rend(); ++name) {
        if (!path.empty())
            path += '/';
        path += **name;
    }
    return path;
}
