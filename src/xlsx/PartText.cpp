#include "xlsx/PartText.h"

#include "xlsx/ZipPackage.h"

PartText::PartText(ZipPackage& package, const std::string& name, bool large) : m_package(package) {
    m_package.beginEntry(name, large);
    // Most parts of a workbook of many sheets are a few kilobytes: their text starts in room of
    // its size and is handed over as it stands, while a large part soon has a piece's room.
    m_buffer.reserve(kFirstBytes);
}

void PartText::handOver() {
    m_buffer = m_package.write(std::move(m_buffer));
    m_buffer.reserve(kPieceBytes + 4096);
}

void PartText::finish() {
    if (!m_buffer.empty())
        m_package.write(std::move(m_buffer), true);
    m_package.endEntry();
}
