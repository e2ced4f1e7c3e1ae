#include "ui/CellBar.h"

#include "sheet/CellValue.h"
#include "sheet/NumberFormats.h"
#include "sheet/Worksheet.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>

namespace {
// The content shows this many lines before it scrolls, so that the grid keeps its room.
constexpr int kContentLines = 3;
} // namespace

CellBar::CellBar(QWidget* parent)
    : QWidget(parent), m_reference(new QLabel), m_content(new QPlainTextEdit) {
    m_reference->setObjectName(QStringLiteral("CellReference"));
    m_reference->setMinimumWidth(
        QFontMetrics(font()).horizontalAdvance(QStringLiteral("XFD1048576")) + 12);
    m_reference->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_reference->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_content->setObjectName(QStringLiteral("CellContent"));
    m_content->setReadOnly(true);
    m_content->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_content->setTabChangesFocus(true);
    const QFontMetrics metrics(m_content->font());
    m_content->setFixedHeight(metrics.lineSpacing() * kContentLines + 10);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_reference);
    layout->addWidget(m_content, 1);
}

void CellBar::showCell(const CellStore* cells, int row, int column) {
    if (!cells || row < 1 || column < 1) {
        m_reference->clear();
        m_content->clear();
        return;
    }
    m_reference->setText(cellReference(row, column));
    const Cell* cell = cells->cell(row, column);
    if (!cell || cell->kind == Cell::Kind::Empty) {
        m_content->clear();
    } else if (cell->kind == Cell::Kind::Number) {
        m_content->setPlainText(QString::fromStdString(storedNumberText(cell->number)));
    } else if (cell->kind == Cell::Kind::Date) {
        m_content->setPlainText(QString::fromStdString(shownValue(*cell)));
    } else {
        const std::string_view text = cells->textOf(*cell);
        m_content->setPlainText(
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
}
