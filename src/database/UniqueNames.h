#pragma once

#include <string>
#include <unordered_set>

// A name as the database engine compares names: without regard to letter case.
std::string foldedName(const std::string& name);

// Names unique without regard to letter case, as the database engine compares them: a name
// already taken gets the smallest free number appended.
class UniqueNames {
public:
    std::string claim(const std::string& wanted);
    void take(const std::string& name);
    void release(const std::string& name);

private:
    std::unordered_set<std::string> m_folded;
};
