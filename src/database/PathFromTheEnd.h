#pragma once

#include <cstddef>
#include <string>
#include <vector>

// An element path gathered from its end, so that a path of any depth costs only what it keeps:
// as many of its innermost names as `maxBytes` holds, after "..." when some had to be left out.
class PathFromTheEnd {
public:
    explicit PathFromTheEnd(std::size_t maxBytes);

    // Takes the name above those taken so far, which must outlive this; false once the path is
    // full, and the name is left out.
    bool takeAbove(const std::string& name);
    // Whether names were left out.
    bool shortened() const { return m_shortened; }
    // The names from the outermost taken, joined by "/".
    std::string text() const;

private:
    std::size_t m_budget;
    std::vector<const std::string*> m_names;
    std::size_t m_bytes = 0;
    bool m_shortened = false;
};
