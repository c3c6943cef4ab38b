#include "os/Paths.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;

// An installed program's executables lie in /usr/bin; its program folder is the one the
// administrator names for every user.
TEST(ProgramDirTest, EnvironmentNamesTheFolderElseTheExecutablesFolder)
{
    const QByteArray saved = qgetenv("QVL32_PROGRAM_DIR");
    QTemporaryDir dir;
    qputenv("QVL32_PROGRAM_DIR", (u' ' + dir.path() + u"/sub/.. "_qs).toUtf8());
    EXPECT_EQ(defaultProgramDir(u"/usr/bin"_qs), QDir(dir.path()).absolutePath());
    qputenv("QVL32_PROGRAM_DIR", "  ");
    EXPECT_EQ(defaultProgramDir(u"/usr/bin"_qs), u"/usr/bin"_qs);
    qunsetenv("QVL32_PROGRAM_DIR");
    EXPECT_EQ(defaultProgramDir(u"/opt/qvl32"_qs), u"/opt/qvl32"_qs);
    if (!saved.isNull())
        qputenv("QVL32_PROGRAM_DIR", saved);
}
