// Times the two import routes of the main window on the same files, in one run:
//
//   build/bench/import_route_bench [FILES] [RECORDS_PER_FILE]
//
// The default list (500 files of 80 records of 4 fields) makes about 200,000 cells through the
// work database. The real main window runs offscreen and its start button is pressed for each
// route; messages are answered at once.
#include "UnattendedServices.h"
#include "base/SettingsStore.h"
#include "spreadsheet/SpreadsheetEngine.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>

namespace {
QStringList makeFiles(const QString& folder, int files, int records) {
    QStringList paths;
    for (int f = 0; f < files; ++f) {
        QByteArray xml = "<?xml version=\"1.0\"?>\n<orders>\n";
        for (int r = 0; r < records; ++r)
            xml += "  <order><id>" + QByteArray::number(f * records + r) +
                   "</id><customer>Customer " + QByteArray::number(r % 37) + "</customer><amount>" +
                   QByteArray::number(r * 1.25, 'f', 2) + "</amount><note>n" +
                   QByteArray::number(r) + "</note></order>\n";
        xml += "</orders>\n";
        const QString path = QDir(folder).filePath(QStringLiteral("file%1.xml").arg(f));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(xml);
        paths << path;
    }
    return paths;
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 500;
    const int records = argc > 2 ? std::atoi(argv[2]) : 80;

    QTemporaryDir work;
    qputenv("TEMP", work.filePath(QStringLiteral("temp")).toUtf8());
    QDir(work.path()).mkpath(QStringLiteral("temp"));
    QDir(work.path()).mkpath(QStringLiteral("program"));
    QDir(work.path()).mkpath(QStringLiteral("inputs"));
    QFile::copy(QStringLiteral(BRINDLEQUAY_DIST_DIR "/temp.mdb"),
                work.filePath(QStringLiteral("program/temp.mdb")));
    const QStringList paths = makeFiles(work.filePath(QStringLiteral("inputs")), files, records);

    AnsweringDialogs dialogs;
    NoDesktop desktop;
    SettingsStore settings(work.filePath(QStringLiteral("Kestrelix.ini")));
    SpreadsheetEngine engine;
    std::vector<std::shared_ptr<EngineInstance>> results;
    engine.setPresenter([&](std::shared_ptr<EngineInstance> shown) { results.push_back(shown); });
    Form1 window({dialogs, desktop, settings, engine, work.filePath(QStringLiteral("program"))});
    window.Form_Load();
    window.show();
    window.fileList().appendAll(paths);

    auto timeRoute = [&](const char* option) {
        window.findChild<QRadioButton*>(QLatin1String(option))->click();
        results.clear();
        QElapsedTimer timer;
        timer.start();
        window.PushButton4_Click();
        const double ms = timer.nsecsElapsed() / 1e6;
        qint64 cells = 0;
        for (int i = 1; i <= results.at(0)->activeWorkbook().sheetCount(); ++i)
            cells += results.at(0)->activeWorkbook().sheet(i).cells().cellCount();
        results.clear();
        return std::make_pair(ms, cells);
    };
    const auto [flattenMs, flattenCells] = timeRoute("Option4");
    const auto [databaseMs, databaseCells] = timeRoute("Option3");
    std::printf("%d files of %d records\n", files, records);
    std::printf("without the database: %9.1f ms, %lld cells\n", flattenMs,
                static_cast<long long>(flattenCells));
    std::printf("through the database: %9.1f ms, %lld cells  %.2fx\n", databaseMs,
                static_cast<long long>(databaseCells), databaseMs / flattenMs);
    return 0;
}
