#include "base/StopSignals.h"
#include "batch/BatchImport.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    // Before any thread starts, so that every thread inherits the signals held back. The batch
    // program starts no other program, which would inherit them too.
    catchStopSignals(StopSignalThreads::One);
    QCoreApplication application(argc, argv);
    return runBatchImport(QCoreApplication::arguments(), stdin, stdout, stderr);
}
