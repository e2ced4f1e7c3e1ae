#pragma once

#include "xml/XmlReader.h"

#include <QStringList>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A file converted to CSV text in memory, or how that failed.
struct ConvertedFile {
    std::string csv;
    std::optional<XmlError> error;
    // Anything else the conversion raised, to be reported where the run converts the file.
    std::exception_ptr failure;
};

// Converts every second file of a run (the 2nd, 4th, ...) on a second thread, a few files ahead
// of the run, while the run converts the others itself: a run of many small files takes both
// cores. Only regular files small enough to hold in memory are taken; the run converts the rest
// as it always does.
class ConversionAhead {
public:
    explicit ConversionAhead(QStringList xmlPaths);
    ~ConversionAhead();
    ConversionAhead(const ConversionAhead&) = delete;
    ConversionAhead& operator=(const ConversionAhead&) = delete;

    // File `index` (from 1) converted, waiting for it when it is under way; nothing when the
    // run is to convert it itself.
    std::optional<ConvertedFile> take(int index);

private:
    enum class State { Waiting, Taken, LeftToRun, Done };
    void convertAhead();

    QStringList m_paths;
    std::vector<State> m_states;
    std::vector<ConvertedFile> m_converted;
    int m_runAt = 0;
    std::size_t m_bytesHeld = 0;
    bool m_stopping = false;
    bool m_runWaits = false;
    bool m_workerWaits = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_worker;
};
