// The program itself, started twice and without a display (X11 and the
// user's runtime directory).
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(Program, SecondStartEndsAtOnceWhileTheFirstRuns) {
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    QProcess first, second;
    for (QProcess* p : {&first, &second})
        p->setProcessEnvironment(env);
    first.start(FINDARO_BIN, {"--no-such-option"}); // unknown arguments are ignored
    ASSERT_TRUE(first.waitForStarted());
    const QString socket = runtime.filePath("FINDARO.socket");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 5000));
    second.start(FINDARO_BIN, {});
    EXPECT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
}

TEST(Program, HelpAndVersionNeedNoDisplayAndWithoutOneItSaysWhyInOneLine) {
    struct Case {
        QStringList arguments;
        QString display, wayland;
        int exitCode;
        QString out, err; // err: its start, one line
    };
    const Case cases[] = {
        {{"--help"}, {}, {}, 0, "Usage: findaro [edit]\n", {}},
        {{"edit", "--version"}, {}, {}, 0, "Findaro 1.0\n", {}},
        {{}, {}, {}, 1, {}, "findaro: cannot start: no X display: DISPLAY is not set"},
        {{},
         {},
         "wayland-0",
         1,
         {},
         "findaro: cannot start: this Wayland session offers no X server (XWayland), and "
         "Findaro needs one: DISPLAY is not set"},
        {{"edit"}, ":97", {}, 1, {}, "findaro: cannot start: the X display :97 does not answer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString() + " DISPLAY=" + c.display.toStdString());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM"})
            env.remove(name);
        if (!c.display.isEmpty())
            env.insert("DISPLAY", c.display);
        if (!c.wayland.isEmpty())
            env.insert("WAYLAND_DISPLAY", c.wayland);
        QProcess findaro;
        findaro.setProcessEnvironment(env);
        findaro.start(FINDARO_BIN, c.arguments);
        ASSERT_TRUE(findaro.waitForFinished(5000));
        EXPECT_EQ(findaro.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(findaro.exitCode(), c.exitCode);
        const QString out = QString::fromUtf8(findaro.readAllStandardOutput());
        const QString err = QString::fromUtf8(findaro.readAllStandardError());
        if (c.err.isEmpty()) {
            EXPECT_TRUE(out.startsWith(c.out)) << out.toStdString();
            EXPECT_EQ(err, "");
        } else {
            EXPECT_EQ(out, "");
            EXPECT_EQ(err, c.err + "\n");
        }
    }
}

} // namespace
