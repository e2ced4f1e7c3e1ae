// Any bytes as an XML file through the reader and the flattening: never a crash, and what is
// written reads back as the lines it was written as.
#include "spreadsheet/CsvOpening.h"
#include "xml/CsvConversion.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string csv;
    const std::optional<XmlError> error =
        ConvertToCSV(std::string_view(reinterpret_cast<const char*>(data), size), ",", csv);
    if (error) {
        if (error->reason.isEmpty() || error->line < 1 || error->position < 1)
            abort();
        return 0;
    }
    // Every line ends in CR LF, and quoting keeps each written line one line to read.
    qint64 lines = 0;
    for (size_t at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 2))
        ++lines;
    if (csvLineCount({csv}) > lines)
        abort();
    return 0;
}
