#pragma once

#include "sheet/Worksheet.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The longest name a sheet may have.
inline constexpr qsizetype kMaxSheetNameLength = 31;
// The characters a sheet name may not hold.
inline const QString kRefusedSheetNameCharacters = QStringLiteral(":\\/?*[]");

// A name that a sheet may have, made from any text: refused characters become "_", the text is
// cut to the longest name, apostrophes at either end go; `fallback` when nothing is left.
QString acceptableSheetName(const QString& text, const QString& fallback);

// The name of a sheet that carries on the rows of the full sheet `name`: "NAME (2)", "NAME (3)",
// ..., with NAME cut as far as the suffix needs to stay within the longest name.
QString continuationSheetName(const QString& name, int number);

// Raises an error naming the broken rule unless every name may name a sheet beside the others:
// 1 to 31 characters, none of : \ / ? * [ ], no apostrophe at either end, and unique without
// regard to letter case.
void checkSheetNames(const QStringList& names);

// A workbook: its sheets in order, the active one, and whether it changed since it was saved.
class Workbook {
public:
    // A new workbook with the sheets "Sheet1", "Sheet2" and "Sheet3", the first active.
    static std::unique_ptr<Workbook> createNew(const QString& name);
    // A workbook with one sheet, as opening a file gives.
    static std::unique_ptr<Workbook> createWithSheet(const QString& name, const QString& sheetName);

    const QString& name() const { return m_name; }
    // The file the workbook was last saved as; "" until it is.
    const QString& filePath() const { return m_filePath; }

    int sheetCount() const { return static_cast<int>(m_sheets.size()); }
    // Sheet `index`, from 1; raises an error outside the workbook.
    Worksheet& sheet(int index);
    const Worksheet& sheet(int index) const;
    // The sheet of that name, compared without regard to letter case; raises an error when
    // there is none.
    Worksheet& sheet(const QString& name);
    // The same, or none.
    const Worksheet* findSheet(const QString& name) const;
    // The place of a sheet of the workbook, from 0; -1 for a sheet it does not hold.
    int indexOf(const Worksheet& sheet) const;
    QStringList sheetNames() const;

    // A handle on sheet `index` that a view holds: it expires when the sheet is deleted.
    std::weak_ptr<const Worksheet> watchSheet(int index) const;

    Worksheet& activeSheet() { return *m_sheets[static_cast<size_t>(m_active)]; }
    int activeIndex() const { return m_active + 1; }
    void activate(int index);

    // Adds a sheet named with the next free number before the active sheet and activates it.
    Worksheet& addSheet();
    // Renames a sheet; raises an error naming the rule when the name is refused.
    void renameSheet(Worksheet& sheet, const QString& name);
    // The name nearest `wanted` that the sheet may bear: `wanted` made acceptable
    // (acceptableSheetName, or the sheet's own name when nothing of it is left), and when another
    // sheet bears that in any letter case, cut as far as the smallest free number after it needs
    // to stay within the longest name. A name the rules accept and no other sheet bears stays.
    QString freeNameFor(const Worksheet& sheet, const QString& wanted) const;
    // Deletes the sheet of that name; a workbook keeps at least one sheet.
    void deleteSheet(const QString& name);

    // Sheet `index` of the sheets that carry on the rows of the full sheet `sheet` (1 for the
    // first), made when missing: placed after the sheet's last continuation, or right after
    // the sheet, without becoming active, and named "NAME (2)", ... or the next free number.
    Worksheet& continuation(Worksheet& sheet, int index);
    // The sheets that carry on the rows of `sheet`, in order; none while it was never full.
    std::vector<Worksheet*> continuationsOf(const Worksheet& sheet) const;
    // Their names, in order.
    QStringList continuationNames(const Worksheet& sheet) const;
    // Whether the sheet is one of this workbook's.
    bool holds(const Worksheet& sheet) const;

    // While an import fills the workbook, a view shows it but does not steer it: choosing a
    // sheet there does not make it the active one.
    void setBeingFilled(bool beingFilled) { m_beingFilled = beingFilled; }
    bool isBeingFilled() const { return m_beingFilled; }

    // Whether anything changed since the workbook was last saved or opened, how its sheets are
    // viewed included; a new workbook counts as changed.
    bool isModified() const {
        return !m_savedRevision || *m_savedRevision != std::pair(revision(), viewRevision());
    }
    // Notes that the workbook as it stands now is saved.
    void markSaved() { m_savedRevision = std::pair(revision(), viewRevision()); }
    // Notes that the workbook as it stands now is saved as the file `path`, whose name it then
    // bears, as spreadsheet applications name a workbook after its file.
    void markSavedAs(const QString& path);
    // Grows with every change of a cell, a link or the sheets.
    std::uint64_t revision() const;
    // Grows with every change of how a sheet is viewed (sheet widths, a frozen row), which
    // changes no cell.
    std::uint64_t viewRevision() const;

private:
    explicit Workbook(QString name) : m_name(std::move(name)) {}
    // Places a new sheet at `index` (from 0) and names it in the index of names.
    void insertSheet(int index, std::shared_ptr<Worksheet> sheet);
    // Renames a sheet of the workbook in the index of names too.
    void setName(Worksheet& sheet, const QString& name);
    // Notes that no sheet bears the folded name any longer, so that a number passed over for
    // bearing it is tried again.
    void releaseName(const QString& foldedName);
    // Whether `name` is free for `sheet`: no other sheet bears it, whatever the letter case.
    bool isFreeFor(const QString& name, const Worksheet* sheet) const;
    // Names the continuations of `sheet` after its name as it now stands.
    void renameContinuations(const Worksheet& sheet);

    QString m_name;
    QString m_filePath;
    // Shared only with the weak handles of views. New sheets go in before the active one, which
    // is mostly the first: a deque takes them there at once however many there are.
    std::deque<std::shared_ptr<Worksheet>> m_sheets;
    // The sheets by their folded names, so that a workbook of thousands of sheets finds a name
    // without comparing it with every other.
    QHash<QString, Worksheet*> m_byFoldedName;
    // The sheets that carry on each full sheet's rows, in order.
    QHash<const Worksheet*, std::vector<Worksheet*>> m_continuations;
    // For each name asked of freeNameFor, the number to try first: every smaller one was found
    // taken. Many sheets may want one name (a file name in every folder), and trying each number
    // again for each of them would take time that grows with the square of their count.
    mutable QHash<QString, int> m_firstNumberToTry;
    // The numbers so passed over, by the folded name that took them: when that name is free
    // again, the number is the first to try once more.
    mutable QMultiHash<QString, std::pair<QString, int>> m_passedOver;
    int m_active = 0;
    int m_nextSheetNumber = 1;
    std::uint64_t m_structureRevision = 0;
    std::uint64_t m_viewRevisionsGone = 0;
    // The revision and the view revision last saved.
    std::optional<std::pair<std::uint64_t, std::uint64_t>> m_savedRevision;
    bool m_beingFilled = false;
};

// Marks a workbook as being filled for as long as it lives.
class BeingFilled {
public:
    explicit BeingFilled(Workbook& workbook) : m_workbook(workbook) {
        m_workbook.setBeingFilled(true);
    }
    ~BeingFilled() { m_workbook.setBeingFilled(false); }
    BeingFilled(const BeingFilled&) = delete;
    BeingFilled& operator=(const BeingFilled&) = delete;

private:
    Workbook& m_workbook;
};
