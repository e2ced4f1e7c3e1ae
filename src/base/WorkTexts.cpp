#include "base/WorkTexts.h"

#include "base/Paths.h"
#include "base/Utf16Pieces.h"

#include <algorithm>
#include <new>

WorkTexts::Writer::Writer(WorkTexts& texts, QString path)
    : m_texts(texts), m_path(std::move(path)) {
    if (!m_texts.fits(0))
        m_file.emplace(m_path);
}

void WorkTexts::Writer::append(std::string_view piece) {
    if (!m_file) {
        // The budget counts the memory a text takes, which grows ahead of its bytes.
        const size_t needed = m_held.size() + piece.size();
        const size_t room = needed <= m_held.capacity() ? m_held.capacity()
                                                        : std::max(needed, 2 * m_held.capacity());
        if (m_texts.fits(static_cast<qint64>(room))) {
            m_held.reserve(room);
        } else {
            // Past the budget the text goes on in its file, from its start.
            m_file.emplace(m_path);
            m_file->append(m_held);
            m_held = std::string();
        }
    }
    if (m_file)
        m_file->append(piece);
    else
        m_held.append(piece);
}

void WorkTexts::Writer::reserve(qint64 bytes) {
    if (m_file || bytes <= static_cast<qint64>(m_held.capacity()) || !m_texts.fits(bytes))
        return;
    try {
        m_held.reserve(static_cast<size_t>(bytes));
    } catch (const std::bad_alloc&) {
        // Room made ahead only saves time: without the memory, the text grows as it comes.
    }
}

void WorkTexts::Writer::commit() {
    if (m_file) {
        m_file->commit();
        // A text of that path held from before no longer stands for it.
        m_texts.forget(m_path);
        return;
    }
    // Copying a text of many megabytes to give back a little of its room costs more than the
    // room: only a text that fills less than seven eighths of it is made to fit. The budget
    // counts the room either way.
    if (m_held.capacity() - m_held.size() > m_held.size() / 8)
        m_held.shrink_to_fit();
    m_texts.keep(m_path, std::move(m_held));
}

bool WorkTexts::fits(qint64 bytes) const {
    std::lock_guard lock(m_mutex);
    return m_budget > 0 && m_heldBytes + bytes <= m_budget;
}

void WorkTexts::keep(const QString& path, std::string text) {
    std::lock_guard lock(m_mutex);
    auto& slot = m_held[path];
    if (slot)
        m_heldBytes -= static_cast<qint64>(slot->capacity());
    m_heldBytes += static_cast<qint64>(text.capacity());
    slot = std::make_shared<const std::string>(std::move(text));
}

bool WorkTexts::exists(const QString& path) const {
    return held(path) || FileExists(path);
}

std::shared_ptr<const std::string> WorkTexts::held(const QString& path) const {
    std::lock_guard lock(m_mutex);
    return m_held.value(path);
}

void WorkTexts::read(const QString& path,
                     const std::function<void(std::string_view piece)>& take) const {
    const std::shared_ptr<const std::string> text = held(path);
    if (!text) {
        ReadTextFile(path, take);
        return;
    }
    if (text->empty()) {
        take("empty file");
        return;
    }
    const auto lead = static_cast<unsigned char>(text->front());
    if (lead != 0xFE && lead != 0xFF) {
        take(*text);
        return;
    }
    Utf16Pieces utf16(true);
    const QByteArray utf8 =
        utf16.toUtf8(QByteArrayView(text->data(), static_cast<qsizetype>(text->size()))) +
        utf16.finish();
    take(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

void WorkTexts::forget(const QString& path) {
    std::lock_guard lock(m_mutex);
    if (auto found = m_held.find(path); found != m_held.end()) {
        m_heldBytes -= static_cast<qint64>((*found)->capacity());
        m_held.erase(found);
    }
}

void WorkTexts::remove(const QString& path) {
    forget(path);
    RemoveFile(path);
}
