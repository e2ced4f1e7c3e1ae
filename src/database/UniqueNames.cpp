#include "database/UniqueNames.h"

#include <QString>

std::string foldedName(const std::string& name) {
    return QString::fromStdString(name).toCaseFolded().toStdString();
}

std::string UniqueNames::claim(const std::string& wanted) {
    std::string name = wanted;
    for (int number = 1; m_folded.count(foldedName(name)); ++number)
        name = wanted + std::to_string(number);
    m_folded.insert(foldedName(name));
    return name;
}

void UniqueNames::take(const std::string& name) {
    m_folded.insert(foldedName(name));
}

void UniqueNames::release(const std::string& name) {
    m_folded.erase(foldedName(name));
}
