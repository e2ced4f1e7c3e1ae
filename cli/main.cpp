#include "base/StopSignals.h"
#include "batch/BatchImport.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    catchStopSignals();
    return runBatchImport(QCoreApplication::arguments(), stdin, stdout, stderr);
}
