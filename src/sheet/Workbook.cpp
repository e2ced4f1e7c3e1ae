#include "sheet/Workbook.h"

#include "base/RuntimeError.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace {
// Whether the character at `index` can stand in a sheet name of the saved file: a control
// character, a non-character or half of a surrogate pair makes the file unreadable.
bool isCarriable(const QString& name, qsizetype index) {
    const QChar c = name.at(index);
    if (c.unicode() < 0x20 || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
        return false;
    if (c.isHighSurrogate())
        return index + 1 < name.size() && name.at(index + 1).isLowSurrogate();
    if (c.isLowSurrogate())
        return index > 0 && name.at(index - 1).isHighSurrogate();
    return true;
}

// The name cut to `room` characters, never between the halves of a pair.
QString cutTo(const QString& name, qsizetype room) {
    QString cut = name.left(room);
    if (!cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

// The name cut as far as `suffix` needs to stay within the longest name, then the suffix.
QString withSuffix(const QString& name, const QString& suffix) {
    return cutTo(name, kMaxSheetNameLength - suffix.size()) + suffix;
}
} // namespace

QString acceptableSheetName(const QString& text, const QString& fallback) {
    QString name = text;
    for (QChar refused : kRefusedSheetNameCharacters)
        name.replace(refused, QLatin1Char('_'));
    for (qsizetype i = 0; i < name.size(); ++i)
        if (!isCarriable(name, i))
            name[i] = QLatin1Char('_');
    name = cutTo(name, kMaxSheetNameLength);
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    return name.isEmpty() ? fallback : name;
}

QString continuationSheetName(const QString& name, int number) {
    return withSuffix(name, QStringLiteral(" (%1)").arg(number));
}

namespace {
// Every rule but that of unique names.
void checkOwnSheetName(const QString& name) {
    if (name.isEmpty())
        throw RuntimeError(QStringLiteral("A sheet name cannot be empty"));
    if (name.size() > kMaxSheetNameLength)
        throw RuntimeError(QStringLiteral("The sheet name \"%1\" is longer than %2 characters")
                               .arg(name)
                               .arg(kMaxSheetNameLength));
    for (QChar refused : kRefusedSheetNameCharacters)
        if (name.contains(refused))
            throw RuntimeError(QStringLiteral("The sheet name \"%1\" contains \"%2\"; a sheet "
                                              "name cannot contain : \\ / ? * [ or ]")
                                   .arg(name, refused));
    for (qsizetype i = 0; i < name.size(); ++i)
        if (!isCarriable(name, i))
            throw RuntimeError(QStringLiteral("The sheet name \"%1\" holds the character U+%2, "
                                              "which a saved workbook cannot carry")
                                   .arg(QString(name).replace(name.at(i), QLatin1Char('?')))
                                   .arg(name.at(i).unicode(), 4, 16, QLatin1Char('0')));
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        throw RuntimeError(QStringLiteral("The sheet name \"%1\" begins or ends with an "
                                          "apostrophe")
                               .arg(name));
}

[[noreturn]] void refuseTakenName(const QString& name, const QString& other) {
    throw RuntimeError(QStringLiteral("The sheet name \"%1\" is already taken by the sheet "
                                      "\"%2\" (names are compared without regard to letter "
                                      "case)")
                           .arg(name, other));
}
} // namespace

void checkSheetNames(const QStringList& names) {
    QHash<QString, QString> taken;
    for (const QString& name : names) {
        checkOwnSheetName(name);
        const QString folded = name.toCaseFolded();
        if (const auto found = taken.constFind(folded); found != taken.constEnd())
            refuseTakenName(name, *found);
        taken.insert(folded, name);
    }
}

std::unique_ptr<Workbook> Workbook::createNew(const QString& name) {
    std::unique_ptr<Workbook> workbook(new Workbook(name));
    for (int i = 1; i <= 3; ++i)
        workbook->insertSheet(i - 1, std::make_shared<Worksheet>(QStringLiteral("Sheet%1").arg(i)));
    workbook->m_nextSheetNumber = 4;
    return workbook;
}

std::unique_ptr<Workbook> Workbook::createWithSheet(const QString& name, const QString& sheetName) {
    std::unique_ptr<Workbook> workbook(new Workbook(name));
    workbook->insertSheet(0, std::make_shared<Worksheet>(sheetName));
    workbook->m_nextSheetNumber = 1;
    return workbook;
}

Worksheet& Workbook::sheet(int index) {
    if (index < 1 || index > sheetCount())
        throw RuntimeError(
            QStringLiteral("Subscript out of range: the workbook has no sheet %1").arg(index));
    return *m_sheets[static_cast<size_t>(index - 1)];
}

std::weak_ptr<const Worksheet> Workbook::watchSheet(int index) const {
    sheet(index);
    return m_sheets[static_cast<size_t>(index - 1)];
}

const Worksheet& Workbook::sheet(int index) const {
    return const_cast<Workbook*>(this)->sheet(index);
}

void Workbook::insertSheet(int index, std::shared_ptr<Worksheet> sheet) {
    Worksheet* const added = sheet.get();
    const auto at = m_sheets.insert(m_sheets.begin() + index, std::move(sheet));
    try {
        m_byFoldedName.insert(added->foldedName(), added);
    } catch (...) {
        m_sheets.erase(at);
        throw;
    }
}

void Workbook::setName(Worksheet& sheet, const QString& name) {
    const QString before = sheet.foldedName();
    if (const auto found = m_byFoldedName.constFind(before);
        found != m_byFoldedName.constEnd() && *found == &sheet)
        m_byFoldedName.erase(found);
    sheet.setNameUnchecked(name);
    m_byFoldedName.insert(sheet.foldedName(), &sheet);
    if (sheet.foldedName() != before)
        releaseName(before);
}

const Worksheet* Workbook::findSheet(const QString& name) const {
    return m_byFoldedName.value(name.toCaseFolded());
}

bool Workbook::holds(const Worksheet& sheet) const {
    // Only the address is compared: a route asks this of sheets the user may have deleted.
    return indexOf(sheet) >= 0;
}

// The place of a sheet, looked for from the front, where new sheets mostly are.
int Workbook::indexOf(const Worksheet& sheet) const {
    for (int i = 0; i < sheetCount(); ++i)
        if (m_sheets[static_cast<size_t>(i)].get() == &sheet)
            return i;
    return -1;
}

QString Workbook::freeNameFor(const Worksheet& sheet, const QString& wanted) const {
    QString acceptable = acceptableSheetName(wanted, sheet.name());
    if (isFreeFor(acceptable, &sheet))
        return acceptable;
    int& number = m_firstNumberToTry[acceptable];
    number = std::max(number, 1);
    for (;; ++number) {
        QString name = withSuffix(acceptable, QString::number(number));
        const Worksheet* bearer = findSheet(name);
        if (!bearer || bearer == &sheet)
            return name;
        const std::pair<QString, int> passed(acceptable, number);
        if (!m_passedOver.contains(bearer->foldedName(), passed))
            m_passedOver.insert(bearer->foldedName(), passed);
    }
}

void Workbook::releaseName(const QString& foldedName) {
    for (auto passed = m_passedOver.find(foldedName);
         passed != m_passedOver.end() && passed.key() == foldedName;
         passed = m_passedOver.erase(passed)) {
        int& number = m_firstNumberToTry[passed->first];
        number = std::min(number, passed->second);
    }
}

bool Workbook::isFreeFor(const QString& name, const Worksheet* sheet) const {
    const Worksheet* bearer = findSheet(name);
    return !bearer || bearer == sheet;
}

Worksheet& Workbook::sheet(const QString& name) {
    const Worksheet* found = findSheet(name);
    if (!found)
        throw RuntimeError(
            QStringLiteral("Subscript out of range: the workbook has no sheet named \"%1\"")
                .arg(name));
    return const_cast<Worksheet&>(*found);
}

QStringList Workbook::sheetNames() const {
    QStringList names;
    for (const auto& sheet : m_sheets)
        names << sheet->name();
    return names;
}

std::uint64_t Workbook::revision() const {
    std::uint64_t total = m_structureRevision;
    for (const auto& sheet : m_sheets)
        total += sheet->revision();
    return total;
}

std::uint64_t Workbook::viewRevision() const {
    std::uint64_t total = m_viewRevisionsGone;
    for (const auto& sheet : m_sheets)
        total += sheet->viewRevision();
    return total;
}

void Workbook::markSavedAs(const QString& path) {
    m_filePath = path;
    m_name = QFileInfo(path).fileName();
    markSaved();
}

void Workbook::activate(int index) {
    m_active = std::clamp(index, 1, sheetCount()) - 1;
}

Worksheet& Workbook::addSheet() {
    QString name;
    do
        name = QStringLiteral("Sheet%1").arg(m_nextSheetNumber++);
    while (findSheet(name));
    insertSheet(m_active, std::make_shared<Worksheet>(name));
    ++m_structureRevision;
    return activeSheet();
}

void Workbook::renameSheet(Worksheet& sheet, const QString& name) {
    checkOwnSheetName(name);
    if (const Worksheet* other = findSheet(name); other && other != &sheet)
        refuseTakenName(name, other->name());
    setName(sheet, name);
    ++m_structureRevision;
    renameContinuations(sheet);
}

void Workbook::renameContinuations(const Worksheet& sheet) {
    int number = 1;
    for (Worksheet* continuation : continuationsOf(sheet)) {
        ++number;
        while (!isFreeFor(continuationSheetName(sheet.name(), number), continuation))
            ++number;
        setName(*continuation, continuationSheetName(sheet.name(), number));
        continuation->setContinues(&sheet, number);
    }
}

std::vector<Worksheet*> Workbook::continuationsOf(const Worksheet& sheet) const {
    return m_continuations.value(&sheet);
}

QStringList Workbook::continuationNames(const Worksheet& sheet) const {
    QStringList names;
    for (const Worksheet* continuation : continuationsOf(sheet))
        names << continuation->name();
    return names;
}

Worksheet& Workbook::continuation(Worksheet& sheet, int index) {
    if (!holds(sheet))
        throw RuntimeError(QStringLiteral("The sheet \"%1\" is not in the workbook \"%2\"")
                               .arg(sheet.name(), m_name));
    std::vector<Worksheet*>& made = m_continuations[&sheet];
    while (static_cast<int>(made.size()) < index) {
        const Worksheet& last = made.empty() ? sheet : *made.back();
        int number = made.empty() ? 2 : last.continuationNumber() + 1;
        while (!isFreeFor(continuationSheetName(sheet.name(), number), nullptr))
            ++number;
        auto added = std::make_shared<Worksheet>(continuationSheetName(sheet.name(), number));
        added->setContinues(&sheet, number);
        const int at = indexOf(last) + 1;
        made.reserve(made.size() + 1);
        insertSheet(at, added);
        // The active sheet stays the same sheet.
        if (m_active >= at)
            ++m_active;
        ++m_structureRevision;
        made.push_back(added.get());
    }
    return *made[static_cast<size_t>(index - 1)];
}

void Workbook::deleteSheet(const QString& name) {
    const Worksheet& deleted = sheet(name);
    if (sheetCount() == 1)
        throw RuntimeError(QStringLiteral("A workbook must keep at least one sheet"));
    const int index = indexOf(deleted);
    // The total of the revisions only ever grows, so a removed sheet leaves its share behind.
    m_structureRevision += deleted.revision() + 1;
    m_viewRevisionsGone += deleted.viewRevision();
    for (Worksheet* continuation : m_continuations.take(&deleted))
        continuation->setContinues(nullptr, 0);
    if (const Worksheet* full = deleted.continues())
        std::erase(m_continuations[full], &deleted);
    const QString released = deleted.foldedName();
    m_byFoldedName.remove(released);
    m_sheets.erase(m_sheets.begin() + index);
    releaseName(released);
    if (m_active > index || m_active >= sheetCount())
        m_active = std::max(0, m_active - 1);
}
