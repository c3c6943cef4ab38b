// Threads of the program that end before it does: what they used per thread (Qt's regular
// expressions, the report's fonts) is cleaned up without touching freed memory. On Windows
// a fault here ends the whole test program at the thread's end, not just the test.
#include "print/ReportText.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace qvl;

namespace {

// What a worker's matching looks like, and one subject long enough that a JIT needs more
// than its default stack for it (a group repeated many thousand times).
struct Matches {
    bool address = false;
    bool reference = false;
    qsizetype longRun = -1;
};

Matches matchOnce(int i)
{
    static const QRegularExpression address(u"^[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,}$"_qs);
    static const QRegularExpression reference(u"(\\d+) 0 R"_qs);
    static const QRegularExpression repeated(u"^(?:(a|b))*c$"_qs);
    Matches m;
    m.address = address.match(u"wb"_qs + QString::number(i) + u"@example.org"_qs).hasMatch();
    m.reference = reference.match(u"/Parent "_qs + QString::number(i) + u" 0 R"_qs).captured(1)
                  == QString::number(i);
    const QRegularExpressionMatch run = repeated.match(QString(8000 + i, u'a') + u'c');
    m.longRun = run.hasMatch() ? run.capturedLength(0) : -1;
    return m;
}

} // namespace

TEST(ThreadEnd, ThreadsThatMatchedRegularExpressionsEndOneAfterAnother)
{
    for (int i = 0; i < 20; ++i) {
        Matches m;
        std::thread worker([&m, i] { m = matchOnce(i); });
        worker.join();
        EXPECT_TRUE(m.address) << i;
        EXPECT_TRUE(m.reference) << i;
        EXPECT_EQ(m.longRun, 8000 + i + 1) << i;
    }
}

TEST(ThreadEnd, ThreadsThatMatchedRegularExpressionsEndSideBySide)
{
    std::vector<Matches> results(8);
    std::vector<std::thread> workers;
    for (int i = 0; i < int(results.size()); ++i)
        workers.emplace_back([&results, i] {
            for (int round = 0; round < 3; ++round)
                results[size_t(i)] = matchOnce(i * 10 + round);
        });
    for (std::thread &t : workers)
        t.join();
    for (int i = 0; i < int(results.size()); ++i) {
        EXPECT_TRUE(results[size_t(i)].address) << i;
        EXPECT_EQ(results[size_t(i)].longRun, 8000 + i * 10 + 2 + 1) << i;
    }
}

// The report's fonts are kept per thread; a thread that measured text and ended leaves the
// others' fonts as they were, and a new thread measures the same.
TEST(ThreadEnd, ThreadsThatMeasuredTextEndAndMeasureAlike)
{
    const QString line = u"Beitragsbescheid für 2026: 1.234,56 €"_qs;
    const double here = textWidth(textFont(u"Arial"_qs, 10, false), line);
    ASSERT_GT(here, 0);
    for (int i = 0; i < 8; ++i) {
        double there = -1, bold = -1;
        std::thread worker([&] {
            there = textWidth(textFont(u"Arial"_qs, 10, false), line);
            bold = textWidth(textFont(u"Arial"_qs, 10, true), line);
        });
        worker.join();
        EXPECT_DOUBLE_EQ(there, here) << i;
        EXPECT_GT(bold, here) << i;
    }
    EXPECT_DOUBLE_EQ(textWidth(textFont(u"Arial"_qs, 10, false), line), here);
}
