#include "base/TextFiles.h"

#include "base/FileSync.h"
#include "base/Paths.h"
#include "base/RegularFile.h"
#include "base/RuntimeError.h"
#include "base/Utf16Pieces.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

bool meansNoSpace(int number) {
#ifdef EDQUOT
    return number == ENOSPC || number == EDQUOT;
#else
    return number == ENOSPC;
#endif
}

QString writeProblem(int number, const QString& path) {
    if (meansNoSpace(number))
        return QStringLiteral("there is no space left in the folder %1")
            .arg(QFileInfo(path).absolutePath());
    return QString::fromLocal8Bit(std::strerror(number));
}

namespace {
// Writes all of `text` at the descriptor; raises an error naming `target` when it cannot.
void writeAll(int descriptor, std::string_view text, const QString& target) {
    while (!text.empty()) {
        // Windows takes at most an int's worth at once.
        const auto piece = static_cast<unsigned>(std::min<size_t>(text.size(), 1u << 30));
        const auto written = ::write(descriptor, text.data(), piece);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw RuntimeError(
                QStringLiteral("Cannot write %1: %2")
                    .arg(target, writeProblem(written < 0 ? errno : ENOSPC, target)));
        text.remove_prefix(static_cast<size_t>(written));
    }
}
} // namespace

TextFileWriter::TextFileWriter(const QString& fileName)
    : m_fileName(fileName), m_partial(fileName + QStringLiteral(".partial")) {
    // Created afresh, never through a link or over a file that is there.
    int failure = 0;
    m_partialGoesWithHardStop = RemovedOnHardStop([&] {
        m_descriptor = createNewFile(m_partial);
        failure = errno;
        return m_descriptor >= 0 ? m_partial : QString();
    });
    if (m_descriptor < 0)
        throw RuntimeError(
            QStringLiteral("Cannot create %1: %2").arg(fileName, writeProblem(failure, fileName)));
}

TextFileWriter::~TextFileWriter() {
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    if (!m_committed)
        RemoveFile(m_partial);
}

void TextFileWriter::append(std::string_view text) {
    writeAll(m_descriptor, text, m_fileName);
}

void TextFileWriter::commit() {
    const int closed = ::close(m_descriptor);
    m_descriptor = -1;
    if (closed != 0)
        throw RuntimeError(
            QStringLiteral("Cannot write %1: %2").arg(m_fileName, writeProblem(errno, m_fileName)));
    // A new file need not outlive a power cut, and waiting for the disk on each of thousands of
    // small files doubled the time of writing them; one that replaces a file still waits.
    replaceFileWith(m_partial, m_fileName, Durability::KeepOlder);
    m_committed = true;
}

QString replaceableFile(const QString& path) {
    namespace fs = std::filesystem;
    fs::path place = nativePath(path);
    // As many links as the system itself follows before it gives up.
    for (int links = 0; links <= 40; ++links) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(place, error);
        if (fs::is_symlink(status)) {
            const fs::path next = fs::read_symlink(place, error);
            if (error)
                break;
            place = next.is_absolute() ? next : place.parent_path() / next;
            continue;
        }
        if (!fs::exists(status) || fs::is_regular_file(status))
            return links == 0 ? path : pathFromNative(place.lexically_normal());
        throw RuntimeError(
            QStringLiteral("Cannot write %1: it is %2, not a regular file, and is left as it is")
                .arg(path, fs::is_directory(status) ? QStringLiteral("a folder")
                                                    : QStringLiteral("a device, FIFO or socket")));
    }
    throw RuntimeError(
        QStringLiteral("Cannot write %1: its symbolic links lead nowhere").arg(path));
}

void replaceFileWith(const QString& partial, const QString& target, Durability durability,
                     OnStop onStop) {
    std::error_code error;
    const bool replacing =
        std::filesystem::exists(std::filesystem::symlink_status(nativePath(target), error));
    const bool waitForDisk = replacing || durability == Durability::KeepNew;
    // The content must be on the disk before the new name is, or a power cut could leave the
    // name on an empty file. Synced before the bits are copied, which may forbid reading it.
    if (waitForDisk)
        syncFile(partial, target);
    // Renaming within one folder replaces the old file in one step.
    const auto move = [&] {
        if (const std::error_code moved = moveReplacing(partial, target))
            throw RuntimeError(QStringLiteral("Cannot write %1: %2")
                                   .arg(target, QString::fromLocal8Bit(moved.message().c_str())));
    };
    if (onStop == OnStop::KeepOlder)
        commitUnlessStopped(move);
    else
        move();
    if (waitForDisk)
        syncFolder(QFileInfo(target).absolutePath(), target);
}

void writeWholeFile(const QString& requested, std::string_view content) {
    const QString path = replaceableFile(requested);
    const QString folder = QFileInfo(path).absolutePath();
    // A name of its own, so that two runs writing the same file at once, or a file left by a
    // program killed outright, never stand in each other's way; and of a fixed length, so that
    // it fits wherever the file's own name does.
    int descriptor = -1;
    int failure = 0;
    const RemovedOnHardStop scratch([&]() -> QString {
        static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            QString name = QStringLiteral("/.brindlequay-");
            for (int letter = 0; letter < 12; ++letter)
                name += QLatin1Char(kLetters[QRandomGenerator::system()->bounded(36)]);
            name = folder + name + QStringLiteral(".partial");
            descriptor = createNewFile(name);
            failure = errno;
            if (descriptor >= 0)
                return name;
            if (failure != EEXIST)
                break;
        }
        return {};
    });
    if (descriptor < 0)
        throw RuntimeError(
            QStringLiteral("Cannot write %1: %2").arg(path, writeProblem(failure, path)));
    bool placed = false;
    const auto cleanUp = qScopeGuard([&] {
        if (descriptor >= 0)
            ::close(descriptor);
        if (!placed)
            RemoveFile(scratch.path());
    });
    writeAll(descriptor, content, path);
    const int closed = ::close(descriptor);
    descriptor = -1;
    if (closed != 0)
        throw RuntimeError(
            QStringLiteral("Cannot write %1: %2").arg(path, writeProblem(errno, path)));
    replaceFileWith(scratch.path(), path, Durability::KeepNew, OnStop::KeepOlder);
    placed = true;
}

std::string ReadTextFile(const QString& path) {
    std::string text;
    ReadTextFile(path, [&](std::string_view piece) { text.append(piece); });
    return text;
}

void ReadTextFile(const QString& path, const std::function<void(std::string_view piece)>& take) {
    if (!FileExists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw RuntimeError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    if (file.size() == 0) {
        take("empty file");
        return;
    }
    constexpr qsizetype kPiece = 4 << 20;
    QByteArray buffer(static_cast<qsizetype>(std::min<qint64>(file.size(), kPiece)),
                      Qt::Uninitialized);
    std::optional<Utf16Pieces> utf16;
    bool first = true;
    const auto takeBytes = [&](const QByteArray& bytes) {
        if (!bytes.isEmpty())
            take(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    };
    for (;;) {
        const qint64 read = file.read(buffer.data(), buffer.size());
        if (read < 0)
            throw RuntimeError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
        if (read == 0)
            break;
        const QByteArrayView piece(buffer.constData(), static_cast<qsizetype>(read));
        if (first) {
            const auto lead = static_cast<unsigned char>(piece.front());
            if (lead == 0xFE || lead == 0xFF)
                utf16.emplace(true);
            first = false;
        }
        if (utf16)
            takeBytes(utf16->toUtf8(piece));
        else
            take(std::string_view(piece.data(), static_cast<size_t>(piece.size())));
    }
    if (utf16)
        takeBytes(utf16->finish());
}

void RemoveFile(const QString& path) {
    std::error_code ignored;
    std::filesystem::remove(nativePath(path), ignored);
}
