#pragma once

#include "base/ReadAhead.h"
#include "spreadsheet/CsvOpening.h"

#include <QStringList>

#include <optional>

class WorkTexts;

// Opens the CSV files that are about to be opened, in their order, on a second thread a few
// files ahead, so that reading one file overlaps with placing the one before. Only small
// regular files and texts held in memory are read ahead; a file changed since it was read ahead
// is not given out.
class CsvReadAhead {
public:
    // `texts`: where the CSV texts held in memory are; none when every one is a file.
    CsvReadAhead(QStringList paths, const WorkTexts* texts);

    // The file at `path` opened, when it is one of those expected and was read ahead, waiting
    // for it while it is being read; nothing otherwise, and the file is left to the caller.
    // Files expected before it are let go.
    std::optional<OpenedCsv> take(const QString& path);

private:
    ReadAhead<OpenedCsv> m_ahead;
};
