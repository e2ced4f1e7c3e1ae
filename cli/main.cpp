#include "batch/BatchImport.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    return runBatchImport(QCoreApplication::arguments(), stdin, stdout, stderr);
}
