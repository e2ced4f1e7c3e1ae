#include "ui/CursorFile.h"

#include "base/RuntimeError.h"

#include <QFile>
#include <QPixmap>
#include <QtEndian>

namespace {
// The hot spot of the first image of a cursor file; (0, 0) for an icon file, which has none.
QPoint hotSpotOf(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    constexpr qsizetype kHeader = 6, kEntry = 16;
    if (bytes.size() < kHeader + kEntry || qFromLittleEndian<quint16>(data + 2) != 2)
        return {};
    return {qFromLittleEndian<quint16>(data + kHeader + 4),
            qFromLittleEndian<quint16>(data + kHeader + 6)};
}
} // namespace

QCursor loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(QStringLiteral("File not found: ") + path);
    const QByteArray bytes = file.readAll();
    QPixmap picture;
    if (!picture.loadFromData(bytes, "ICO"))
        throw RuntimeError(QStringLiteral("Invalid picture: ") + path);
    const QPoint hotSpot = hotSpotOf(bytes);
    return QCursor(picture, hotSpot.x(), hotSpot.y());
}
