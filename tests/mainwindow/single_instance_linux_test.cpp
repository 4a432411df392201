#include "mainwindow/SingleInstance.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(SingleInstance, LaterStartAsksTheFirstToComeForwardUntilTheFirstEnds) {
    QTemporaryDir runtime;
    int calls = 0;
    {
        TSingleInstance first("FINDARO", runtime.path());
        first.ComeForward = [&] { ++calls; };
        ASSERT_TRUE(first.Acquire());
        EXPECT_TRUE(first.LockPath().endsWith("/FINDARO.lock"));

        // An old lock of a live instance is not stale.
        QFile lock(first.LockPath());
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
        lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                         QFileDevice::FileModificationTime);
        lock.close();

        TSingleInstance second("FINDARO", runtime.path());
        EXPECT_FALSE(second.Acquire());
        EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 3000));
    }
    TSingleInstance third("FINDARO", runtime.path());
    EXPECT_TRUE(third.Acquire());
    EXPECT_EQ(calls, 1);
}

} // namespace
