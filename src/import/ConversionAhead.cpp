#include "import/ConversionAhead.h"

#include "archive/SourceFile.h"
#include "base/ErrorReport.h"
#include "xml/CsvConversion.h"

namespace {
ReadAhead<ConvertedFile>::Plan conversionPlan(bool countPaths) {
    ReadAhead<ConvertedFile>::Plan plan;
    // Counted from 0 here: the 2nd, 4th, ... file of the run.
    plan.takes = [](int index) { return index % 2 == 1; };
    // Only the second thread converts with the plan: the paths it meets are its own.
    std::shared_ptr<PathDictionary> dictionary =
        countPaths ? std::make_shared<PathDictionary>() : nullptr;
    plan.work = [dictionary](const QString& path) -> std::optional<ConvertedFile> {
        ConvertedFile converted;
        if (dictionary)
            converted.paths = FilePathTally(dictionary);
        try {
            converted.error = ConvertToCSV(
                path, ",", [&](std::string_view piece) { converted.csv.append(piece); },
                dictionary ? &converted.paths : nullptr);
        } catch (...) {
            // What was converted before the failure is of no use, and may be what took the
            // memory that ran out.
            converted.csv = std::string();
            if (dictionary)
                converted.paths = FilePathTally(dictionary);
            converted.failure = describeCurrentException();
            converted.problem = problemOfCurrentException();
        }
        return converted;
    };
    plan.sizeOf = [](const ConvertedFile& converted) { return converted.csv.size(); };
    // A member of an archive is as much a file to convert ahead as a file on the disk.
    plan.identityOf = sourceIdentity;
    plan.filesAhead = 16;
    plan.bytesAhead = 32 << 20;
    // The run converts the other files meanwhile, so it waits for this one rather than doing
    // the second thread's share as well.
    plan.waitForUnbegun = true;
    return plan;
}
} // namespace

ConversionAhead::ConversionAhead(QStringList xmlPaths, bool countPaths)
    : m_ahead(std::move(xmlPaths), conversionPlan(countPaths)) {}

std::optional<ConvertedFile> ConversionAhead::take(int index) {
    return m_ahead.take(index - 1);
}
