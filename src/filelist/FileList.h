#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The ordered list of file paths to import, shown in the main window's list. Rows are numbered
// from 1; a row holds only its text; duplicates are allowed and nothing about a path is checked.
class FileList final : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FileList(QObject* parent = nullptr);

    int count() const { return static_cast<int>(m_rows.size()); }
    // The text of row `position`; "" for a position outside the list.
    QString text(int position) const;
    // Replaces the text of row `position`; a position outside the list changes nothing.
    void setText(int position, const QString& text);
    // Adds a row at the bottom. Paths are listed with the system's own separator: on Windows
    // the file dialogs, drops and command lines may give "/", and the program joins with "\\".
    // A member of an archive keeps the "/" of its path inside the archive.
    void append(const QString& path);
    // Adds rows at the bottom in one go, as a folder walk does, as `append` would.
    void appendAll(const QStringList& paths);
    // Adds a row that becomes row `position`; the rows from there move down one. A position past
    // the end appends.
    void insert(int position, const QString& text);
    // Deletes row `position`; the rows below move up one. Outside the list nothing happens.
    void remove(int position);
    void clear();
    // Every path in list order.
    const QStringList& paths() const { return m_rows; }

    // The caption of the list's one column.
    void setColumnCaption(const QString& caption);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    bool holds(int position) const { return position >= 1 && position <= count(); }

    QStringList m_rows;
    QString m_columnCaption;
};
