#pragma once

#include <string>
#include <string_view>

class ZipPackage;

// The text of one entry as it is made: gathered into pieces of a size worth compressing.
class PartText {
public:
    PartText(ZipPackage& package, const std::string& name, bool large);
    PartText(const PartText&) = delete;
    PartText& operator=(const PartText&) = delete;

    void append(std::string_view text) {
        m_buffer.append(text);
        if (m_buffer.size() >= kPieceBytes)
            handOver();
    }
    // Hands the rest over and ends the entry.
    void finish();

private:
    static constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
    static constexpr std::size_t kFirstBytes = std::size_t{64} << 10;
    void handOver();

    ZipPackage& m_package;
    std::string m_buffer;
};
