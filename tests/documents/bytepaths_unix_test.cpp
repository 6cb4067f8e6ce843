// Names the system spells in bytes that are not UTF-8 (a Latin-2 folder, as
// an old archive unpacks): documents are found below such a working
// directory, and the tool refuses such an argument rather than change it.

#include "console.h"
#include "documentpath.h"
#include "packetbuilder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <climits>

#include <sys/stat.h>
#include <unistd.h>

using namespace kavinto;
using namespace kavinto::test;

TEST(BytePaths, DocumentsBelowAFolderNamedInLatin2) {
    ScratchDir dir;
    const QByteArray folder = QFile::encodeName(dir.path(QStringLiteral("."))) +
                              "/M\xF3"
                              "dszerek";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    ASSERT_EQ(::mkdir((folder + "/pdf").constData(), 0700), 0);
    FILE* f = std::fopen((folder + "/pdf/vita.pdf").constData(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    char previous[PATH_MAX];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(folder.constData()), 0);
    EXPECT_TRUE(isDocumentAvailable(QStringLiteral("vita.pdf")));
    EXPECT_FALSE(isDocumentAvailable(QStringLiteral("nincs.pdf")));
    ASSERT_EQ(::chdir(previous), 0);
}

TEST(BytePaths, ToolRefusesAnArgumentItCannotHandBack) {
    char command[] = "kavinto-catalogue", out[] = "--out",
         latin2[] =
             "M\xF3"
             "dszerek",
         plain[] = "Módszerek";
    char* refused[] = {command, out, latin2};
    char* taken[] = {command, out, plain};
    EXPECT_EQ(unrepresentableArgument(3, refused), QStringLiteral("'M\\xf3dszerek'"));
    EXPECT_EQ(unrepresentableArgument(3, taken), std::nullopt);
}
