#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

// Turns UTF-16 little-endian text that arrives in pieces into UTF-8, piece by piece: the first
// half of a surrogate pair that ends a piece waits for the second, which Qt's decoder alone
// would give as a lone character.
class Utf16Pieces {
public:
    // `keepByteOrderMark`: a leading byte-order mark stays as the first character.
    explicit Utf16Pieces(bool keepByteOrderMark)
        : m_decoder(QStringDecoder::Utf16LE, keepByteOrderMark
                                                 ? QStringDecoder::Flag::ConvertInitialBom
                                                 : QStringDecoder::Flag::Default) {}

    QByteArray toUtf8(QByteArrayView piece) {
        m_bytes += piece.size();
        QString decoded = m_heldBack + QString(m_decoder(piece));
        m_heldBack.clear();
        if (!decoded.isEmpty() && decoded.back().isHighSurrogate()) {
            m_heldBack = decoded.back();
            decoded.chop(1);
        }
        return decoded.toUtf8();
    }
    // What is left at the end: a lone half of a pair, and a replacement character for a byte
    // that is half a code unit.
    QByteArray finish() {
        QByteArray rest = m_heldBack.toUtf8();
        m_heldBack.clear();
        if (m_bytes % 2 == 1)
            rest += "\xEF\xBF\xBD";
        return rest;
    }

private:
    QStringDecoder m_decoder;
    QString m_heldBack;
    qint64 m_bytes = 0;
};
