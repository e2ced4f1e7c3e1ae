#pragma once

#include "spreadsheet/CsvOpening.h"

#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Opens the CSV files that are about to be opened, in their order, on a second thread a few
// files ahead, so that reading one file overlaps with placing the one before. Only small
// regular files are read ahead; a file changed since it was read ahead is not given out.
class CsvReadAhead {
public:
    explicit CsvReadAhead(QStringList paths);
    ~CsvReadAhead();
    CsvReadAhead(const CsvReadAhead&) = delete;
    CsvReadAhead& operator=(const CsvReadAhead&) = delete;

    // The file at `path` opened, when it is one of those expected and was read ahead, waiting
    // for it while it is being read; nothing otherwise, and the file is left to the caller.
    // Files expected before it are let go.
    std::optional<OpenedCsv> take(const QString& path);

private:
    enum class State { Waiting, Reading, Read, LeftToCaller };
    struct Ahead {
        State state = State::Waiting;
        std::optional<OpenedCsv> opened;
        // What the file was when it was read: device, inode, size and time of change.
        std::vector<long long> identity;
    };
    void readAhead();

    QStringList m_paths;
    std::vector<Ahead> m_ahead;
    int m_next = 0;
    bool m_stopping = false;
    bool m_openerWaits = false;
    bool m_workerWaits = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_worker;
};
