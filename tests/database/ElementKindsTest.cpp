#include "database/ElementKinds.h"

#include "support/QtPrinters.h"
#include "support/TreeBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
using Kind = ElementKinds::Kind;

// Surveys each document in turn as a file of its own; each must read.
class Surveyed : public testing::Test {
protected:
    void survey(const std::vector<QByteArray>& documents) {
        for (const QByteArray& document : documents)
            ASSERT_FALSE(m_kinds.survey(
                writeFile(m_folder.filePath(QString("f%1.xml").arg(m_files++)), document)));
    }
    // The kind at the end of a path of names below the document element; kNone when a step
    // is missing.
    Kind at(std::initializer_list<const char*> names) const {
        Kind kind = m_kinds.find(ElementKinds::kNone, "any");
        for (const char* name : names)
            if (kind != ElementKinds::kNone)
                kind = m_kinds.find(kind, name);
        return kind;
    }
    std::string path(Kind kind) const {
        return m_kinds.pathBetween(ElementKinds::kNone, kind, false, 1000);
    }

    QTemporaryDir m_folder;
    int m_files = 0;
    ElementKinds m_kinds;
};
} // namespace

// Every document element is one kind; below it a kind is the path of local names in any
// letter case, so one name under two parents is two kinds.
TEST_F(Surveyed, AKindIsAPathOfLocalNamesWithoutLetterCase) {
    survey({"<Invoice xmlns:cac='urn:c'><cac:TaxTotal><Amount>1</Amount></cac:TaxTotal>"
            "<Supplier><Party>a</Party></Supplier><Customer><Party>b</Party></Customer></Invoice>",
            "<CreditNote><taxtotal><AMOUNT>2</AMOUNT></taxtotal></CreditNote>"});
    EXPECT_EQ(m_kinds.find(ElementKinds::kNone, "CreditNote"), 0u);
    EXPECT_NE(at({"TaxTotal", "Amount"}), ElementKinds::kNone);
    EXPECT_EQ(at({"taxTotal", "amount"}), at({"TaxTotal", "Amount"}));
    EXPECT_NE(at({"Supplier", "Party"}), at({"Customer", "Party"}));
    EXPECT_EQ(at({"Party"}), ElementKinds::kNone);
    // Each name as it was first written, prefix dropped; folded, in the form that compares.
    EXPECT_EQ(path(at({"taxtotal", "amount"})), "Invoice/TaxTotal/Amount");
    EXPECT_EQ(m_kinds.pathBetween(0, at({"TaxTotal", "Amount"}), true, 1000), "taxtotal/amount");
}

// What one file shows of a kind holds for the run: repeating in one file, children in another.
TEST_F(Surveyed, WhatAKindDoesInAnyFileHoldsForTheRun) {
    survey({"<r><item id='1'/><note>text</note><box><in/></box></r>",
            "<r><item/><item/><note>lead <b>bold</b> tail</note><empty></empty></r>",
            "<r xmlns:x='urn:x' x:plain='1'><box/><quiet xmlns='urn:q'><deep/></quiet></r>"});
    const Kind item = at({"item"}), note = at({"note"}), box = at({"box"});
    const Kind empty = at({"empty"}), quiet = at({"quiet"});
    EXPECT_TRUE(m_kinds.repeats(item));
    EXPECT_FALSE(m_kinds.repeats(note));
    EXPECT_TRUE(m_kinds.hasValue(item)); // an attribute, and childless in the second file
    EXPECT_TRUE(m_kinds.mixed(note));
    EXPECT_TRUE(m_kinds.anyMixed());
    EXPECT_TRUE(m_kinds.hasChildren(box));
    EXPECT_TRUE(m_kinds.hasValue(box)); // childless in the third file
    EXPECT_TRUE(m_kinds.hasValue(empty));
    EXPECT_FALSE(m_kinds.hasValue(quiet)); // a namespace declaration is no value
    EXPECT_TRUE(m_kinds.holdsValues(0));
    EXPECT_TRUE(m_kinds.holdsValues(quiet)); // through its childless child
}

// A file that does not read counts nothing: no kind, no name and no mark of it is left.
TEST_F(Surveyed, AFileThatFailsLeavesNoTrace) {
    survey({"<r><a>1</a></r>"});
    const std::optional<XmlError> error = m_kinds.survey(
        writeFile(m_folder.filePath("broken.xml"), "<r><a><b/><a/><new>x</new><c></r>"));
    ASSERT_TRUE(error);
    EXPECT_GT(error->line, 0);
    EXPECT_EQ(at({"a", "b"}), ElementKinds::kNone);
    EXPECT_EQ(at({"new"}), ElementKinds::kNone);
    EXPECT_FALSE(m_kinds.hasChildren(at({"a"})));
    EXPECT_FALSE(m_kinds.repeats(at({"a"})));
    EXPECT_FALSE(m_kinds.anyMixed());
}

// A deep path keeps its last whole names within the bytes it is given, and says it was cut.
TEST_F(Surveyed, ADeepPathKeepsItsLastWholeNames) {
    QByteArray deep = "<root>";
    for (int i = 0; i < 200; ++i)
        deep += "<level" + QByteArray::number(i) + ">";
    deep += "x";
    for (int i = 199; i >= 0; --i)
        deep += "</level" + QByteArray::number(i) + ">";
    survey({deep + "</root>"});
    Kind kind = 0;
    for (int i = 0; i < 200; ++i)
        kind = m_kinds.find(kind, "level" + std::to_string(i));
    bool cut = false;
    const std::string kept = m_kinds.pathBetween(ElementKinds::kNone, kind, false, 40, &cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(kept, ".../level196/level197/level198/level199");
    EXPECT_LE(kept.size(), 40u);
    EXPECT_EQ(m_kinds.pathBetween(ElementKinds::kNone, kind, false, 100'000, &cut)
                  .rfind("root/level0/level1/", 0),
              0u);
    EXPECT_FALSE(cut);
}
