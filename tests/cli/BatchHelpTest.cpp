#include "support/BatchProcess.h"

#include <gtest/gtest.h>

using namespace qvl::test;

// "help" needs no settings file and no database: it works on a machine set up for nothing.
TEST(BatchHelpTest, PrintsTopicsASectionOrRefusesAnUnknownTopic)
{
    const BatchResult topics = runBatch({u"--program-dir"_qs, u"/nonexistent"_qs, u"help"_qs});
    EXPECT_EQ(topics.exitCode, 0) << topics.err.toStdString();
    EXPECT_TRUE(topics.out.contains(u"\n    prüfung-vor-dem-lauf  („Prüfung vor dem Lauf“)\n"_qs))
        << topics.out.toStdString();
    EXPECT_TRUE(topics.out.contains(u"\n  wenn-etwas-schiefgeht  („Wenn etwas schiefgeht“)\n"_qs));

    const BatchResult section = runBatch({u"--program-dir"_qs, u"/nonexistent"_qs, u"help"_qs, u"pruefung-vor"_qs});
    EXPECT_EQ(section.exitCode, 0) << section.err.toStdString();
    EXPECT_TRUE(section.out.startsWith(u"### Prüfung vor dem Lauf\n"_qs)) << section.out.toStdString();
    EXPECT_TRUE(section.out.contains(u"#### Warnungen"_qs));
    EXPECT_TRUE(section.out.contains(u"[Bild: Prüfung vor dem Lauf]"_qs));
    EXPECT_FALSE(section.out.contains(u"### Der Lauf"_qs)); // the next section is not part of it

    const BatchResult unknown = runBatch({u"help"_qs, u"zahlungsverkehr"_qs});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(u"Das Handbuch hat kein Thema „zahlungsverkehr“"_qs)) << unknown.err.toStdString();
    EXPECT_TRUE(unknown.err.contains(u"nach-der-bank"_qs));
    EXPECT_TRUE(unknown.out.isEmpty());
}
