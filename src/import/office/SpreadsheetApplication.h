#pragma once

#include <QString>

#include <functional>
#include <memory>

// The spreadsheet application as the import drives it.
class SpreadsheetApplication {
public:
    virtual ~SpreadsheetApplication() = default;

    // The application's default value, its name.
    virtual QString defaultValue() const = 0;
};

// Creates a new instance of the spreadsheet application; raises an error when it cannot.
using SpreadsheetFactory = std::function<std::unique_ptr<SpreadsheetApplication>()>;

// The factory of the program's own spreadsheet engine.
SpreadsheetFactory spreadsheetEngineFactory();
