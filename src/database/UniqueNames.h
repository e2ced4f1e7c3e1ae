#pragma once

#include <string>
#include <unordered_map>
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
    // For a wanted name, the number below which every numbered name is taken, so that the
    // thousandth "order" does not try the 999 before it. Forgotten when a name is released.
    std::unordered_map<std::string, int> m_firstFree;
};
