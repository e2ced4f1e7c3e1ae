// The reader against the W3C conformance cases: every document that is not well-formed is
// refused, every valid one flattened.
#include "xml/CsvConversion.h"

#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

TEST(Conformance, EveryMalformedCaseRefusedAndEveryValidOneConverted) {
    const QString folder = QStringLiteral(BRINDLEQUAY_XMLCONF_DIR);
    QFile cases(folder + "/cases.tsv");
    ASSERT_TRUE(cases.open(QIODevice::ReadOnly))
        << "the cases are missing: " << folder.toStdString();
    int malformed = 0;
    int refused = 0;
    int valid = 0;
    int converted = 0;
    QTextStream lines(&cases);
    while (!lines.atEnd()) {
        const QStringList fields = lines.readLine().split('\t');
        if (fields.size() != 2)
            continue;
        const QString path = folder + "/" + fields[1];
        const bool wellFormed = !ConvertToCSV(path, ",", [](std::string_view) {}).has_value();
        if (fields[0] == "not-wf") {
            ++malformed;
            refused += wellFormed ? 0 : 1;
            EXPECT_FALSE(wellFormed) << "accepted: " << fields[1].toStdString();
        } else {
            ++valid;
            converted += wellFormed ? 1 : 0;
            EXPECT_TRUE(wellFormed) << "refused: " << fields[1].toStdString();
        }
    }
    std::printf("%d of %d malformed cases refused, %d of %d valid ones converted\n", refused,
                malformed, converted, valid);
    EXPECT_EQ(malformed, 1175);
    EXPECT_EQ(valid, 284);
}
