#pragma once

#include <QString>

class FileList;

// The folder of the sample files delivered beside the program.
QString samplesFolder(const QString& programFolder);

// Appends every file of the samples folder (not of its sub-folders), in listing order. A missing
// folder appends nothing.
void appendSampleFiles(FileList& list, const QString& programFolder);

// The question asked after the samples were added.
QString openSamplesFolderQuestion();
