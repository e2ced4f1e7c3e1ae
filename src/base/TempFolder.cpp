#include "base/TempFolder.h"

#include <QDir>
#include <QProcessEnvironment>

QString temporaryFolder() {
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // "TEMP" first, then the other spellings in a fixed order, so the choice never depends on
    // the order of the environment.
    QStringList names = environment.keys().filter(QStringLiteral("temp"), Qt::CaseInsensitive);
    names.removeIf([](const QString& name) {
        return name.compare(QLatin1String("temp"), Qt::CaseInsensitive) != 0;
    });
    names.sort();
    for (const QString& name : names) {
        const QString value = environment.value(name);
        if (!value.isEmpty())
            return QDir::cleanPath(value);
    }
    return QDir::cleanPath(QDir::tempPath());
}
