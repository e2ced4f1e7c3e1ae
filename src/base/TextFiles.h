#pragma once

#include "base/HardStop.h"

#include <QString>

#include <functional>
#include <string>
#include <string_view>

// Writes a text file in pieces, replacing any file of that name. The text goes to a file beside
// the target that takes the target's place only on commit, so a file abandoned half-way is
// never seen and an older file survives it, a power cut included. The file beside,
// "<name>.partial", is created exclusively: one that is there already, or a link in its place,
// makes the writer fail.
class TextFileWriter {
public:
    // Raises an error when the file cannot be created.
    explicit TextFileWriter(const QString& fileName);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    void append(std::string_view text);
    // Puts the file in place; raises an error when it cannot.
    void commit();

private:
    QString m_fileName;
    QString m_partial;
    int m_descriptor = -1;
    bool m_committed = false;
    RemovedOnHardStop m_partialGoesWithHardStop;
};

// Whether the system's error number says the disk or the user's quota is full (Windows has no
// quotas in its error numbers).
bool meansNoSpace(int number);

// What went wrong in writing the file at `path`, given the system's error number; a full disk
// is told with the folder where space ran out.
QString writeProblem(int number, const QString& path);

// What a replacement must outlive besides the program's own failure.
enum class Durability {
    // A power cut may lose the new file, never a file it replaces.
    KeepOlder,
    // A power cut after it loses neither: the user keeps the new file.
    KeepNew,
};

// The file that writing `path` replaces: `path` itself, or the file its symbolic links lead to,
// so that a link stays a link. Raises an error when what stands there is not a regular file (a
// device, a FIFO, a socket, a folder): a replacement must never take the place of one.
QString replaceableFile(const QString& path);

// What a stop asked for (a signal) before the replacement does to it.
enum class OnStop {
    Replace,
    // The replacement does not happen and ProcedureAbandoned is raised: the older file stays.
    KeepOlder,
};

// Puts the complete file `partial` in the place of `target` in one step, keeping the permission
// bits of a file it replaces, and waits for the disk as `durability` asks; raises an error naming
// `target` when it cannot.
void replaceFileWith(const QString& partial, const QString& target, Durability durability,
                     OnStop onStop = OnStop::Replace);

// Writes `content` as the whole file at `path` (a symbolic link stays a link: the file it leads
// to is written). The content goes to a file of an unpredictable name beside it first, which a
// hard stop removes, and takes the place of an older file (keeping its permission bits) only when
// it is complete and on the disk; a stop asked for until then keeps the older file and raises
// ProcedureAbandoned. Raises an error naming `path` when the file cannot be written.
void writeWholeFile(const QString& path, std::string_view content);

// The whole content of a text file as UTF-8: "" when there is no such file, the literal
// "empty file" for an empty one, UTF-16 code units when the first byte is 0xFE or 0xFF (the
// byte-order mark stays as the first character), the bytes as they are otherwise.
std::string ReadTextFile(const QString& path);
// The same content handed to `take` in pieces as it is read, so that a file of any size passes
// through in little memory. Raises an error when the file cannot be read; `take` may have had
// part of it by then.
void ReadTextFile(const QString& path, const std::function<void(std::string_view piece)>& take);

// Deletes the file; every error is ignored.
void RemoveFile(const QString& path);
