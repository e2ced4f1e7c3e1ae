#include "xlsx/PartText.h"

#include "xlsx/ZipPackage.h"

PartText::PartText(ZipPackage& package, const std::string& name, bool large) : m_package(package) {
    m_package.beginEntry(name, large);
    m_buffer.reserve(kPieceBytes + 4096);
}

void PartText::handOver() {
    m_buffer = m_package.write(std::move(m_buffer));
    m_buffer.reserve(kPieceBytes + 4096);
}

void PartText::finish() {
    if (!m_buffer.empty())
        handOver();
    m_package.endEntry();
}
