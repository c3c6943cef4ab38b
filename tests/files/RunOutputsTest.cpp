// A run's outputs between their writing and their names: which name each file gets, that
// nothing is copied or replaced by mistake, and that an uncommitted run leaves nothing.
#include "support/FileBytes.h"
#include "files/AnsiTextFile.h"
#include "files/RunOutputs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace qvl;
using namespace qvl::test;

TEST(RunOutputs, NamesFollowTheirRule)
{
    struct Case {
        Naming naming;
        QString target;
        int k;
        QString name;
    };
    const Case cases[] = {
        {Naming::Exact, u"/e/4_17.pdf"_qs, 1, u"/e/4_17.pdf"_qs},
        {Naming::Exact, u"/e/4_17.pdf"_qs, 2, {}},
        {Naming::Replace, u"/b/Rechnung.pdf"_qs, 2, {}},
        {Naming::NextFree, u"/x/MB_T.xml"_qs, 1, u"/x/MB_T.xml"_qs},
        {Naming::NextFree, u"/x/MB_T.xml"_qs, 2, u"/x/MB_T_2.xml"_qs},
        {Naming::NextFree, u"/x/MB_T.xml"_qs, 999, u"/x/MB_T_999.xml"_qs},
        {Naming::NextFree, u"/x/MB_T.xml"_qs, 1000, {}},
        {Naming::DayNumber, u"/f/LA20261205.df2"_qs, 1, u"/f/LA20261205_1.df2"_qs},
        {Naming::DayNumber, u"/f/LA20261205.df2"_qs, 50, u"/f/LA20261205_50.df2"_qs},
        {Naming::DayNumber, u"/f/LA20261205.df2"_qs, 51, u"/f/LA20261205.df2"_qs},
        {Naming::DayNumber, u"/f/LA20261205.df2"_qs, 52, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(candidateName({{}, c.target, c.naming}, c.k), c.name) << c.target.toStdString() << ' ' << c.k;
}

TEST(RunOutputs, HiddenNamesCarryDatabaseAndRun)
{
    const auto tag = hiddenTagOf(u".MB_Mitgliedsbeitrag_05122026T143015.xml.0123456789ab-89abcdef.Xy12Zz"_qs);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->database, u"0123456789ab"_qs);
    EXPECT_EQ(tag->run, u"89abcdef"_qs);
    for (const QString &other : {u".MB_T.xml.Xy12Zz"_qs, u"MB_T.xml.0123456789ab-89abcdef.Xy12Zz"_qs,
                                 u".MB_T.xml.0123456789AB-89abcdef.Xy12Zz"_qs})
        EXPECT_FALSE(hiddenTagOf(other)) << other.toStdString();
}

// Each case: files already in the folder, the outputs (hidden files made from their
// contents), what the folder holds afterwards and whether a problem is told.
TEST(RunOutputs, NamingNeverReplacesNorCopies)
{
    struct Out {
        QString target;
        Naming naming;
        int group;
    };
    struct Case {
        const char *name;
        QStringList existing;
        QList<Out> outputs;
        QStringList after; // visible files
        int problems;
        int hiddenLeft;
    };
    const Case cases[] = {
        {"TakenBankFileName", {u"MB.xml"_qs}, {{u"MB.xml"_qs, Naming::NextFree, 0}}, {u"MB.xml"_qs, u"MB_2.xml"_qs}, 0, 0},
        {"PairMovesTogether",
         {u"D_DEB_1.csv"_qs},
         {{u"D.csv"_qs, Naming::DayNumber, 1}, {u"D_DEB.csv"_qs, Naming::DayNumber, 1}},
         {u"D_2.csv"_qs, u"D_DEB_1.csv"_qs, u"D_DEB_2.csv"_qs},
         0,
         0},
        {"ExactNameTaken", {u"4_17.pdf"_qs}, {{u"4_17.pdf"_qs, Naming::Exact, 0}}, {u"4_17.pdf"_qs}, 1, 1},
        {"ReportReplaced", {u"Rechnung.pdf"_qs}, {{u"Rechnung.pdf"_qs, Naming::Replace, 0}}, {u"Rechnung.pdf"_qs}, 0, 0},
        {"InOrder",
         {},
         {{u"MB.xml"_qs, Naming::NextFree, 0}, {u"Rechnung.pdf"_qs, Naming::Replace, 0}, {u"L.df2"_qs, Naming::DayNumber, 1}},
         {u"L_1.df2"_qs, u"MB.xml"_qs, u"Rechnung.pdf"_qs},
         0,
         0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        for (const QString &name : c.existing)
            putFile(root + name, "alt");
        QList<RunOutput> outputs;
        for (const Out &o : c.outputs) {
            const QString hidden = root + u'.' + o.target + u".0123456789ab-01234567.Ab12Cd"_qs;
            putFile(hidden, o.target.toUtf8());
            QFile::setPermissions(hidden, QFileDevice::ReadOwner | QFileDevice::WriteOwner); // as written
            outputs.append({hidden, root + o.target, o.naming, o.group,
                            firstFreeNumber({root + o.target}, o.naming), {}});
        }
        const NamingResult r = nameOutputs(outputs);
        EXPECT_EQ(r.problems.size(), c.problems) << r.problems.join(u'\n').toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name), c.after);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() - c.after.size(), c.hiddenLeft);
        for (const QString &name : c.existing)
            if (c.outputs.first().naming != Naming::Replace)
                EXPECT_EQ(fileBytes(root + name), "alt") << name.toStdString();
        for (const RunOutput &o : outputs)
            if (!o.named.isEmpty()) {
                EXPECT_EQ(fileBytes(o.named), QFileInfo(o.target).fileName().toUtf8());
                // Colleagues and the accountant read the named files from a share.
                EXPECT_TRUE(QFileInfo(o.named).permissions() & QFileDevice::ReadOther) << o.named.toStdString();
            }
    }
}

// A report named by a recovery after a later run wrote its own: the later one stays, the
// recovered one carries its run's day; a second recovered one of that day the next number.
TEST(RunOutputs, ADatedNameNeverReplacesALaterReport)
{
    QTemporaryDir dir;
    putFile(dir.filePath(u"Rechnung.pdf"_qs), "later");
    putFile(dir.filePath(u"Rechnung_2026-12-07_2.pdf"_qs), "earlier recovery");
    const QString hidden = dir.filePath(u".Rechnung.pdf.0123456789ab-01234567.Ab12Cd"_qs);
    putFile(hidden, "recovered");
    QList<RunOutput> outputs{{hidden, dir.filePath(u"Rechnung.pdf"_qs), Naming::Dated, 0, 1, {}, QDate(2026, 12, 7)}};
    const NamingResult r = nameOutputs(outputs);
    EXPECT_TRUE(r.problems.isEmpty()) << r.problems.join(u'\n').toStdString();
    EXPECT_EQ(outputs[0].named, dir.filePath(u"Rechnung_2026-12-07_3.pdf"_qs));
    EXPECT_EQ(fileBytes(dir.filePath(u"Rechnung.pdf"_qs)), "later");
    EXPECT_EQ(fileBytes(dir.filePath(u"Rechnung_2026-12-07_2.pdf"_qs)), "earlier recovery");
    EXPECT_EQ(fileBytes(outputs[0].named), "recovered");
}

// A run's paths are kept absolute, so that a start from another working directory finds
// and names its files where they were made.
TEST(RunOutputs, PathsAreKeptAbsolute)
{
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    RunOutputs outputs(u"0123456789ab"_qs, RunOutputs::newRunId());
    outputs.add(u"export/.Rechnung.pdf.x"_qs, u"export/Rechnung.pdf"_qs, Naming::Replace);
    QDir::setCurrent(before);
    EXPECT_EQ(outputs.entries().first().target, dir.path() + u"/export/Rechnung.pdf"_qs);
    EXPECT_EQ(outputs.entries().first().hidden, dir.path() + u"/export/.Rechnung.pdf.x"_qs);
}

// A link whose unlink was cut short, and a file named by someone else meanwhile: one name
// each, no "_2".
TEST(RunOutputs, NamingFinishedHalfWayIsNotRepeated)
{
#ifndef Q_OS_UNIX
    GTEST_SKIP() << "Windows names a file in one step (MoveFileEx): no second name is ever left behind.";
#else
    QTemporaryDir dir;
    const QString hidden = dir.filePath(u".MB.xml.0123456789ab-01234567.Ab12Cd"_qs);
    putFile(hidden, "bank");
    ASSERT_EQ(::link(QFile::encodeName(hidden).constData(), QFile::encodeName(dir.filePath(u"MB.xml"_qs)).constData()),
              0);
    QList<RunOutput> outputs{{hidden, dir.filePath(u"MB.xml"_qs), Naming::NextFree, 0, 1, {}},
                             {dir.filePath(u".gone.0123456789ab-01234567.Ab12Cd"_qs), dir.filePath(u"L.df2"_qs),
                              Naming::DayNumber, 0, 1, {}}};
    const NamingResult r = nameOutputs(outputs);
    EXPECT_TRUE(r.problems.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"MB.xml"_qs});
    EXPECT_EQ(outputs[0].named, dir.filePath(u"MB.xml"_qs));
#endif
}

// Before the commit a run's list owns its hidden files: a run that stops leaves none, and a
// writer within the run writes hidden, never over the old file.
TEST(RunOutputs, AnUncommittedRunLeavesNothing)
{
    QTemporaryDir dir;
    const QString report = dir.filePath(u"Rechnung.csv"_qs);
    putFile(report, "alt");
    {
        RunOutputs outputs(u"0123456789ab"_qs, RunOutputs::newRunId());
        QString error;
        ASSERT_TRUE(writeAnsiFileAtomically(&outputs, report, {u"neu"_qs}, &error)) << error.toStdString();
        ASSERT_EQ(outputs.entries().size(), 1);
        EXPECT_TRUE(hiddenTagOf(QFileInfo(outputs.entries().first().hidden).fileName()));
        EXPECT_EQ(fileBytes(report), "alt");
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Rechnung.csv"_qs});
    EXPECT_EQ(fileBytes(report), "alt");

    RunOutputs outputs(u"0123456789ab"_qs, RunOutputs::newRunId());
    ASSERT_TRUE(writeAnsiFileAtomically(&outputs, report, {u"neu"_qs}));
    EXPECT_TRUE(outputs.nameAll().problems.isEmpty());
    EXPECT_EQ(fileBytes(report), "neu\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Rechnung.csv"_qs});
}
