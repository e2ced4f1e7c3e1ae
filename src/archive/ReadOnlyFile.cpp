#include "archive/ReadOnlyFile.h"

#include "base/RegularFile.h"
#include "base/RuntimeError.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

void openReadOnly(QFile& file, const QString& path) {
    QString problem;
    bool regular = true;
    const int descriptor = openRegularFile(path, problem, &regular);
    if (descriptor < 0)
        throw RuntimeError(problem, 0,
                           regular ? FileProblem::NotReadable : FileProblem::NotRegularFile);
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        throw RuntimeError(QStringLiteral("cannot be read (%1)").arg(file.errorString()), 0,
                           FileProblem::NotReadable);
    }
}
