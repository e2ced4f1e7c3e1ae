// Any bytes as a CSV file opened into a sheet, and as a cell's text: never a crash, no cell
// beyond the sheet, the same lines however the text is cut into pieces, and a text read as a
// number or a date shows exactly as it was written.
#include "FuzzInput.h"
#include "sheet/CellValue.h"
#include "spreadsheet/CsvOpening.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const std::optional<LosslessNumber> number = losslessNumber(text))
        if (formatNumber(number->value, number->decimals) != text)
            abort();
    if (const std::optional<LosslessDate> date = losslessDate(text))
        if (formatDate(date->serial, date->form, date->decimals) != text)
            abort();

    // Text read in pieces splits as it does whole.
    const size_t cut = size > 0 ? data[0] % (size + 1) : 0;
    if (csvLineCount({text.substr(0, cut), text.substr(cut)}) != csvLineCount({text}))
        abort();

    const OpenedCsv opened = openCsvFile(writeFuzzInput("input.csv", data, size));
    const CellStore& cells = opened.workbook->activeSheet().cells();
    if (cells.storedRowCount() > kMaxRows)
        abort();
    for (int row = 1; row <= cells.storedRowCount(); ++row)
        if (cells.storedColumnCount(row) > kMaxColumns)
            abort();
    return 0;
}
