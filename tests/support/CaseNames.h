#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

// A table-driven case named after its text, each character a test name cannot hold as "_", and
// numbered after its place in the table so that two texts alike in their letters stay apart.
inline std::string caseName(std::string_view text, std::size_t index) {
    std::string name = std::to_string(index) + "_";
    for (const char c : text)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

// Names a table-driven case by its own `name` field, for a table whose cases each carry one.
struct CaseNamedByItself {
    template <class Case> std::string operator()(const testing::TestParamInfo<Case>& test) const {
        return std::string(test.param.name);
    }
};
