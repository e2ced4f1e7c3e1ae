#include "base/TextFiles.h"

#include "base/Paths.h"
#include "base/RuntimeError.h"

#include <QFile>
#include <QStringDecoder>

#include <filesystem>

TextFileWriter::TextFileWriter(const QString& fileName)
    : m_fileName(fileName),
      m_partial(std::make_unique<QFile>(fileName + QStringLiteral(".partial"))) {
    // Created afresh, never through a link or over a file that is there.
    if (!m_partial->open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw RuntimeError(
            QStringLiteral("Cannot create %1: %2").arg(fileName, m_partial->errorString()));
}

TextFileWriter::~TextFileWriter() {
    if (!m_committed)
        m_partial->remove();
}

void TextFileWriter::append(std::string_view text) {
    if (m_partial->write(text.data(), static_cast<qint64>(text.size())) !=
        static_cast<qint64>(text.size()))
        throw RuntimeError(
            QStringLiteral("Cannot write %1: %2").arg(m_fileName, m_partial->errorString()));
}

void TextFileWriter::commit() {
    if (!m_partial->flush())
        throw RuntimeError(
            QStringLiteral("Cannot write %1: %2").arg(m_fileName, m_partial->errorString()));
    m_partial->close();
    replaceFileWith(m_partial->fileName(), m_fileName);
    m_committed = true;
}

void replaceFileWith(const QString& partial, const QString& target) {
    // A replaced file keeps who may read and write it.
    std::error_code error;
    const std::filesystem::file_status older = std::filesystem::status(nativePath(target), error);
    if (!error && std::filesystem::is_regular_file(older))
        std::filesystem::permissions(nativePath(partial), older.permissions(), error);
    // Renaming within one folder replaces the old file in one step.
    error.clear();
    std::filesystem::rename(nativePath(partial), nativePath(target), error);
    if (error)
        throw RuntimeError(QStringLiteral("Cannot write %1: %2")
                               .arg(target, QString::fromLocal8Bit(error.message().c_str())));
}

void WriteTextFile(std::string_view text, const QString& fileName) {
    TextFileWriter writer(fileName);
    writer.append(text);
    writer.append("\r\n");
    writer.commit();
}

std::string ReadTextFile(const QString& path) {
    if (!FileExists(path))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    if (file.size() == 0)
        return "empty file";
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    const auto first = static_cast<unsigned char>(bytes.at(0));
    if (first == 0xFE || first == 0xFF) {
        QStringDecoder fromUtf16(QStringDecoder::Utf16LE,
                                 QStringDecoder::Flag::Stateless |
                                     QStringDecoder::Flag::ConvertInitialBom);
        return QString(fromUtf16(bytes)).toStdString();
    }
    return bytes.toStdString();
}

void RemoveFile(const QString& path) {
    std::error_code ignored;
    std::filesystem::remove(nativePath(path), ignored);
}
