#pragma once

#include "base/TextFiles.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

// The texts of a run's work files (its CSV files), named by the paths of those files. Up to a
// budget they are kept in memory and no file is made, so that a run whose files are only to be
// removed at its end spends no time on the disk; a text beyond the budget is written to its
// file. With no budget every text is a file, as a run that leaves its files behind needs.
// Texts may be read from any thread.
class WorkTexts {
public:
    // `budget`: the bytes of all the texts kept in memory together; 0 keeps none.
    explicit WorkTexts(qint64 budget = 0) : m_budget(budget) {}
    WorkTexts(const WorkTexts&) = delete;
    WorkTexts& operator=(const WorkTexts&) = delete;

    // Writes one text in pieces, as TextFileWriter writes a file: the text is there under its
    // path only once committed, replacing an earlier text of that path.
    class Writer {
    public:
        // Raises an error when the text must go to a file at once and that file cannot be
        // created.
        Writer(WorkTexts& texts, QString path);
        Writer(const Writer&) = delete;
        Writer& operator=(const Writer&) = delete;

        // Raises an error when the text goes to a file that cannot be created or written.
        void append(std::string_view piece);
        // Makes room at once for a text of about `bytes` in all, when the budget has it, so
        // that a text whose size is known is neither moved as it grows nor copied to fit.
        void reserve(qint64 bytes);
        void commit();

    private:
        WorkTexts& m_texts;
        QString m_path;
        std::string m_held;
        std::optional<TextFileWriter> m_file;
    };
    // Whether a text or a file is there under `path`.
    bool exists(const QString& path) const;
    // The text of `path` held in memory; none when it is a file (or nothing).
    std::shared_ptr<const std::string> held(const QString& path) const;
    // The text under `path` by the rules of ReadTextFile, in pieces.
    void read(const QString& path, const std::function<void(std::string_view piece)>& take) const;
    // Lets go of the text under `path`, and deletes its file; nothing is ever reported.
    void remove(const QString& path);

private:
    // Whether `bytes` more fit in the budget beside what is kept.
    bool fits(qint64 bytes) const;
    void keep(const QString& path, std::string text);
    void forget(const QString& path);

    const qint64 m_budget;
    mutable std::mutex m_mutex;
    QHash<QString, std::shared_ptr<const std::string>> m_held;
    qint64 m_heldBytes = 0;
};
