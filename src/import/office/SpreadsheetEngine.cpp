#include "import/office/SpreadsheetApplication.h"

namespace {
class EngineApplication final : public SpreadsheetApplication {
public:
    QString defaultValue() const override { return QStringLiteral("Microsoft Excel"); }
};
} // namespace

SpreadsheetFactory spreadsheetEngineFactory() {
    return [] { return std::make_unique<EngineApplication>(); };
}
