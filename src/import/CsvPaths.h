#pragma once

#include <QHash>
#include <QString>

// Hands out the CSV paths of one run in the temporary folder: every file's CSV is named after
// the file with ".csv" in place of its extension, and no two files of the run, nor the one-sheet
// output's combined file, ever share a path. A name already given in the run is given again in
// a numbered sub-folder, so the file name (and so the sheet name) stays the same. Names are
// compared without regard to letter case, as the temporary folder's file system may.
class CsvPaths {
public:
    explicit CsvPaths(QString temporaryFolder);

    // The joined file of the one-sheet output.
    static QString combinedFile(const QString& temporaryFolder);

    // The CSV path for the XML file at `xmlPath`; raises an error when its folder cannot be made.
    QString pathFor(const QString& xmlPath);

private:
    QString m_folder;
    // How often each case-folded file name was given: the first time goes to the folder itself,
    // the n-th to its sub-folder "brindlequay-n".
    QHash<QString, int> m_timesGiven;
};
