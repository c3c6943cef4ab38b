#include "os/HeadlessGui.h"
#include "os/ThreadEnd.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace qvl;

int main(int argc, char **argv)
{
    prepareThreadEnd();
    prepareHeadlessGui();
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
