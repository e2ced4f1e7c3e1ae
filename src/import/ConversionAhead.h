#pragma once

#include "base/ReadAhead.h"
#include "import/PathTally.h"
#include "xml/XmlReader.h"

#include <QStringList>

#include <optional>
#include <string>

// A file converted to CSV text in memory, or how that failed.
struct ConvertedFile {
    std::string csv;
    std::optional<XmlError> error;
    // Why the conversion failed otherwise, to be reported where the run comes to the file.
    std::optional<QString> failure;
    FileProblem problem = FileProblem::Failed;
    // The element paths of its lines, when the run counts them.
    FilePathTally paths;
};

// Converts every second file of a run (the 2nd, 4th, ...) on a second thread, a few files ahead
// of the run, while the run converts the others itself: a run of many small files takes both
// cores. Only regular files (or members of archives) small enough to hold in memory are taken,
// and a file changed since it was converted is not given out; the run converts the rest as it
// always does.
class ConversionAhead {
public:
    // With `countPaths`, each file's element paths are counted as it is converted.
    explicit ConversionAhead(QStringList xmlPaths, bool countPaths = false);

    // File `index` (from 1) converted, waiting for it when it is under way; nothing when the
    // run is to convert it itself.
    std::optional<ConvertedFile> take(int index);

private:
    ReadAhead<ConvertedFile> m_ahead;
};
