#pragma once

// Things at a path that are not regular files, which the program must refuse to read: a pipe
// with no writer (a FIFO here, a named pipe on Windows) and a device.
#include <QDir>
#include <QFile>
#include <QString>
#include <QUuid>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <stdexcept>

class PipeWithoutWriter {
public:
    // On Windows the pipe lives in the system's pipe folder, not in `folder`.
    explicit PipeWithoutWriter([[maybe_unused]] const QString& folder) {
#ifdef _WIN32
        m_path = QStringLiteral("\\\\.\\pipe\\brindlequay-test-") +
                 QUuid::createUuid().toString(QUuid::WithoutBraces);
        m_pipe = CreateNamedPipeW(reinterpret_cast<const wchar_t*>(m_path.utf16()),
                                  PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr);
        if (m_pipe == INVALID_HANDLE_VALUE)
            throw std::runtime_error("cannot make a named pipe");
#else
        m_path = QDir(folder).filePath(QStringLiteral("pipe.xml"));
        if (mkfifo(QFile::encodeName(m_path).constData(), 0600) != 0)
            throw std::runtime_error("cannot make a FIFO");
#endif
    }
    ~PipeWithoutWriter() {
#ifdef _WIN32
        CloseHandle(m_pipe);
#endif
    }
    PipeWithoutWriter(const PipeWithoutWriter&) = delete;
    PipeWithoutWriter& operator=(const PipeWithoutWriter&) = delete;

    const QString& path() const {
        return m_path;
    }

private:
    QString m_path;
#ifdef _WIN32
    HANDLE m_pipe = INVALID_HANDLE_VALUE;
#endif
};

// A device that any program may open: /dev/null; on Windows the reserved name NUL, which names
// the device in every folder.
inline QString deviceFile() {
#ifdef _WIN32
    return QStringLiteral("C:\\NUL");
#else
    return QStringLiteral("/dev/null");
#endif
}

// How the system words a missing folder on the way to a file.
inline QString missingPathWord() {
#ifdef _WIN32
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, ERROR_PATH_NOT_FOUND, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const QString word = QString::fromWCharArray(text, static_cast<qsizetype>(length)).trimmed();
    LocalFree(text);
    return word;
#else
    return QStringLiteral("No such file or directory");
#endif
}
