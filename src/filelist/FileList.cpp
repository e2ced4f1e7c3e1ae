#include "filelist/FileList.h"

#include "archive/MemberPath.h"

FileList::FileList(QObject* parent) : QAbstractListModel(parent) {}

QString FileList::text(int position) const {
    return holds(position) ? m_rows.at(position - 1) : QString();
}

void FileList::setText(int position, const QString& text) {
    if (!holds(position))
        return;
    m_rows[position - 1] = text;
    const QModelIndex changed = index(position - 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void FileList::append(const QString& path) {
    insert(count() + 1, nativeListedPath(path));
}

void FileList::appendAll(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    beginInsertRows({}, count(), count() + static_cast<int>(paths.size()) - 1);
    for (const QString& path : paths)
        m_rows.append(nativeListedPath(path));
    endInsertRows();
}

void FileList::insert(int position, const QString& text) {
    const int row = std::clamp(position, 1, count() + 1) - 1;
    beginInsertRows({}, row, row);
    m_rows.insert(row, text);
    endInsertRows();
}

void FileList::remove(int position) {
    if (!holds(position))
        return;
    beginRemoveRows({}, position - 1, position - 1);
    m_rows.removeAt(position - 1);
    endRemoveRows();
}

void FileList::clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void FileList::setColumnCaption(const QString& caption) {
    m_columnCaption = caption;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int FileList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant FileList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole)
        return m_rows.at(index.row());
    return {};
}

QVariant FileList::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_columnCaption;
    return {};
}
