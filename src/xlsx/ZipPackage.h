#pragma once

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// An entry of a package as it is stored: compressed data and what a reader checks it by.
struct StoredEntry {
    std::string name;
    std::string data;
    int method = 0;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
};

// Reads every entry of a zip package as it is stored, in the package's order. Raises an error
// naming the file when it cannot be read.
std::vector<StoredEntry> storedEntries(const QString& path);
// The text of the entry `name` of a zip package, unpacked; raises an error when there is none.
std::string unpackedEntry(const QString& path, const std::string& name);

// A zip package written front to back: entries copied as they stand from another package, and
// entries whose text is handed over piece by piece. Threads of its own compress the pieces, several
// at once, and write them in order while the next piece is made. Raises an error naming the file
// when it cannot be written, at the first call after the failure.
class ZipPackage {
public:
    // Writes the package at `path`; errors name `shownPath`, the file the user asked for.
    ZipPackage(const QString& path, const QString& shownPath);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Adds an entry as it was stored in another package, without unpacking it.
    void addStored(StoredEntry entry);

    // Begins an entry; its text follows through `write` and ends with `endEntry`. An entry that
    // may outgrow 4 GB needs `large`.
    void beginEntry(std::string name, bool large);
    // Takes the next piece of the entry's text; gives back an emptied buffer to fill next.
    // `last` when no more text follows: the piece ends the entry's stream, and nothing is kept
    // for a next piece to refer to.
    std::string write(std::string piece, bool last = false);
    // A buffer that held a piece already written, or a new one.
    std::string spareBuffer();
    void endEntry();

    // Waits for every entry and writes the package's directory; nothing is complete before.
    void close();

private:
    struct Command {
        enum class Kind { Stored, Begin, Piece, End } kind = Kind::Piece;
        // The entry's name, or the piece of text.
        std::string text;
        bool large = false;
        StoredEntry stored;
        // The entry's text just before a piece, which the piece's compressed form may refer to.
        std::string window;
        // A piece is compressed apart from the writing, by whichever thread comes to it first.
        enum class State { Waiting, Compressing, Compressed } state = State::Waiting;
        std::string compressed;
        bool compressedWell = true;
        // For a piece: it ends the entry's stream. At the end of an entry: its last piece did.
        bool last = false;
        // At the end of an entry: the length and checksum of its whole text.
        std::uint64_t size = 0;
        std::uint32_t crc = 0;
    };
    void enqueue(Command command);
    void work();
    // The first piece that no thread compresses yet, or none.
    Command* nextToCompress();
    bool perform(Command& command);
    void fail(const char* what);

    QString m_shownPath;
    void* m_zip = nullptr;
    // Of the entry being written, known only to the thread that makes it: the window its next
    // piece gets, and its length and checksum so far.
    std::string m_window;
    std::uint32_t m_crc = 0;
    std::uint64_t m_size = 0;
    bool m_ended = false;

    std::mutex m_mutex;
    std::condition_variable m_workArrived;
    std::condition_variable m_roomMade;
    int m_workersWaiting = 0;
    bool m_makerWaits = false;
    std::deque<Command> m_commands;
    // Commands taken off the queue so far, and how far along it compressing has come, both
    // counted from the package's first command.
    std::uint64_t m_taken = 0;
    std::uint64_t m_compressFrom = 0;
    std::size_t m_queuedBytes = 0;
    std::size_t m_bytesAhead = 0;
    std::vector<std::string> m_emptied;
    bool m_writing = false;
    bool m_stopping = false;
    std::exception_ptr m_failure;
    std::vector<std::thread> m_workers;
};
