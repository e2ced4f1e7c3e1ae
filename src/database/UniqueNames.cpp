#include "database/UniqueNames.h"

#include <QString>

#include <algorithm>

std::string foldedName(const std::string& name) {
    return QString::fromStdString(name).toCaseFolded().toStdString();
}

std::string UniqueNames::claim(const std::string& wanted) {
    const std::string folded = foldedName(wanted);
    if (m_folded.insert(folded).second)
        return wanted;
    // Numbers keep to ASCII, so the folded name with a number is the folded name's.
    int& number = m_firstFree[folded];
    number = std::max(number, 1);
    while (m_folded.count(folded + std::to_string(number)))
        ++number;
    m_folded.insert(folded + std::to_string(number));
    return wanted + std::to_string(number++);
}

void UniqueNames::take(const std::string& name) {
    m_folded.insert(foldedName(name));
}

void UniqueNames::release(const std::string& name) {
    m_folded.erase(foldedName(name));
    m_firstFree.clear();
}
