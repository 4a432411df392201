// The single-instance guard on Windows: the named mutex and the pipe to the
// first instance, inside this process and against the real program.
#include "mainwindow/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

// The program beside the tests' folder, in the build's bin folder.
QString FindaroExe() {
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../bin/findaro.exe"));
}

TEST(SingleInstanceWin, TheMutexIsNamedAfterTheProgramAndHeldUntilTheFirstEnds) {
    QTemporaryDir scope;
    int calls = 0;
    {
        TSingleInstance first("FINDARO.EXE", scope.path());
        first.ComeForward = [&] { ++calls; };
        ASSERT_TRUE(first.Acquire());
        EXPECT_TRUE(first.LockPath().startsWith("FINDARO.EXE-")) << first.LockPath().toStdString();

        TSingleInstance second("FINDARO.EXE", scope.path());
        EXPECT_FALSE(second.Acquire());
        EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 3000));
    }
    TSingleInstance third("FINDARO.EXE", scope.path());
    EXPECT_TRUE(third.Acquire());
    EXPECT_EQ(calls, 1);
    // The program's own names are left alone by a moved instance.
    EXPECT_EQ(TSingleInstance("FINDARO.EXE").LockPath(), "FINDARO.EXE");
}

// Both ways round with the real program: it ends at once while we hold
// FINDARO.EXE and asks us to come forward; while it runs, we see its mutex.
TEST(SingleInstanceWin, TheProgramAndAnotherProcessSeeEachOthersMutex) {
    ASSERT_TRUE(QFileInfo::exists(FindaroExe())) << FindaroExe().toStdString();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    {
        int calls = 0;
        TSingleInstance first("FINDARO.EXE");
        first.ComeForward = [&] { ++calls; };
        ASSERT_TRUE(first.Acquire());
        QProcess second;
        second.setProcessEnvironment(env);
        second.start(FindaroExe(), {});
        ASSERT_TRUE(second.waitForStarted(10000));
        const bool ended =
            QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000);
        EXPECT_TRUE(ended) << "a second start must end at once";
        if (!ended) {
            second.kill();
            second.waitForFinished();
        }
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return calls >= 1; }, 3000));
    }

    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(FindaroExe(), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    // Only look for the mutex: taking it while the program is still starting
    // would make the program the later instance.
    bool seen = false;
    for (int i = 0; i < 200 && !seen && program.state() == QProcess::Running; ++i) {
        if (HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"FINDARO.EXE")) {
            CloseHandle(mutex);
            seen = true;
        } else {
            QTest::qWait(100);
        }
    }
    EXPECT_TRUE(seen) << "the running program's mutex was not seen";
    TSingleInstance later("FINDARO.EXE");
    EXPECT_FALSE(later.Acquire());
    QTest::qWait(500);
    EXPECT_EQ(program.state(), QProcess::Running)
        << "asking it to come forward must not end it; it ended with " << program.exitCode()
        << ": " << program.readAll().toStdString();
    program.kill();
    program.waitForFinished();
}

} // namespace
