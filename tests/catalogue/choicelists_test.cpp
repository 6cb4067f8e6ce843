#include "choicelists.h"
#include "error.h"
#include "packetbuilder.h"

#include <gtest/gtest.h>

using namespace kavinto;
using namespace kavinto::test;

namespace {

// A list that collects the texts it is given, runs included.
ChoiceList into(QStringList& items) {
    return {[&items](const QString& s) { items << s; },
            [&items](const TextRun& run) {
                for (std::size_t i = 0; i < run.size(); ++i) items << run.at(i);
            }};
}

}  // namespace

TEST(ChoiceLists, MethodsInPacketOrderFunctionsByName) {
    ScratchDir dir;
    const QString methodsPath =
        dir.write(QStringLiteral("m.cds"),
                  catalogueFile(table({"mod_id:i4", "MOD_NEV"},
                                      {{"2", "Vita"}, {"1", "Mozaik"}, {"3", "Vita"}})));
    const QString functionsPath = dir.write(
        QStringLiteral("f.cds"),
        catalogueFile(table({"fun_id:i4", "fun_nev"},
                            {{"1", "Motiváció"}, {"2", "Csoportalakítás"}, {"3", "Ellenőrzés"}})));
    TClientDataSet methods(QStringLiteral("MClientData")), functions(QStringLiteral("FClientData"));
    openMethodsTable(methods, methodsPath);
    QStringList m;
    addMethodNames(methods, into(m));
    EXPECT_EQ(m, QStringList({"-", "Vita", "Mozaik", "Vita"}));

    openFunctionsTable(functions, functionsPath);
    QStringList f1, f2, f3;
    addFunctionNames(functions, into(f1), into(f2), into(f3));
    EXPECT_EQ(f1, QStringList({"-", "Csoportalakítás", "Ellenőrzés", "Motiváció"}));
    EXPECT_EQ(f2, f1);
    EXPECT_EQ(f3, f1);
    EXPECT_EQ(functions.IndexFieldNames(), QStringLiteral("fun_nev"));
}

TEST(ChoiceLists, NullNameFailsAfterTheNamesBeforeIt) {
    ScratchDir dir;
    TClientDataSet methods(QStringLiteral("MClientData"));
    openMethodsTable(methods, dir.write(QStringLiteral("m.cds"),
                                        catalogueFile(table({"mod_id:i4", "mod_nev"},
                                                            {{"1", "Vita"}, {"2", "<null>"}}))));
    QStringList m;
    try {
        addMethodNames(methods, into(m));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    }
    EXPECT_EQ(m, QStringList({"-", "Vita"}));
}

TEST(ChoiceLists, ExistenceTestIgnoresFolders) {
    ScratchDir dir;
    QDir().mkpath(dir.path(QStringLiteral("data/kavinto_modszerek.cds")));
    EXPECT_FALSE(isExistingFile(dir.path(QStringLiteral("data/kavinto_modszerek.cds"))));
    EXPECT_FALSE(isExistingFile(dir.path(QStringLiteral("nothing"))));
    EXPECT_TRUE(isExistingFile(dir.write(QStringLiteral("x"), "1")));
}
