#include "base/BooleanText.h"

#include "base/RuntimeError.h"

bool booleanFromText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = trimmed.toDouble(&isNumber);
    if (isNumber)
        return number != 0.0;
    throw RuntimeError(QStringLiteral("Type mismatch"), ErrorNumber::TypeMismatch);
}

QString textFromBoolean(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
