// The design server's start, failures and end, with small scripts standing in for brixo-labd,
// and that the window never waits for a server that is still starting.
#include "board/design_server.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

QString script(const QTemporaryDir& dir, const char* name, const QByteArray& body)
{
    const QString path = dir.filePath(QLatin1String(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

const QByteArray kReady = "echo 'listening on 127.0.0.1:4321'\n"
                          "echo 'design {\"top\":\"t\",\"switches\":3,\"keys\":40}'\n";

TEST(DesignServer, ReadyFailedAndEndedAsTheServerBehaves)
{
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray body;
        const char* reason;   // failed() with this reason; null: ready()
        const char* messages; // in what the signal carries
    };
    const Case cases[] = {
        {"ends by itself", kReady + "sleep 0.3\necho bye >&2\n", nullptr, "bye"},
        {"compile error", "echo 'broken.v:2: syntax error' >&2\nexit 1\n", "设计无法仿真，仿真器报告了以下问题：",
         "syntax error"},
        {"crash", "kill -9 $$\n", "仿真服务器意外结束（状态137）。", ""},
        {"other output", "echo hello\necho world\nexec sleep 30\n", "仿真服务器的输出无法识别。", ""},
        {"missing", "", "无法启动仿真服务器", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DesignServer server;
        server.program = c.body.isEmpty() ? dir.filePath(QStringLiteral("none")) : script(dir, c.name, c.body);
        QSignalSpy ready(&server, &DesignServer::ready);
        QSignalSpy failed(&server, &DesignServer::failed);
        QSignalSpy ended(&server, &DesignServer::ended);
        server.start({dir.filePath(QStringLiteral("design.v"))}, DesignChoices());
        EXPECT_EQ(server.state(), DesignServer::State::Starting);
        if (!c.reason) {
            ASSERT_TRUE(ready.wait(10000));
            EXPECT_EQ(server.state(), DesignServer::State::Running);
            EXPECT_EQ(server.host(), QStringLiteral("127.0.0.1"));
            EXPECT_EQ(server.port(), 4321);
            EXPECT_EQ(server.ports().top, QStringLiteral("t"));
            EXPECT_EQ(server.ports().keys, 20); // clamped to what the board carries
            ASSERT_TRUE(ended.wait(10000));
            EXPECT_TRUE(ended[0][0].toString().contains(QLatin1String(c.messages)));
            EXPECT_EQ(server.state(), DesignServer::State::Stopped);
        } else {
            ASSERT_TRUE(failed.wait(10000));
            EXPECT_TRUE(failed[0][0].toString().startsWith(QString::fromUtf8(c.reason)))
                << failed[0][0].toString().toStdString();
            EXPECT_TRUE(failed[0][1].toString().contains(QLatin1String(c.messages)));
            EXPECT_EQ(ready.count(), 0);
        }
    }
}

TEST(DesignServer, AServerStillStartingIsGivenUpAtOnceAndEndsWithTheWindow)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(QStringLiteral("pid"));
    auto server = std::make_unique<DesignServer>();
    server->program = script(dir, "slow", "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 60\n");
    QSignalSpy failed(server.get(), &DesignServer::failed);
    server->start({dir.filePath(QStringLiteral("design.v"))}, DesignChoices());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(pidFile).size() > 0; }, 10000));
    QFile f(pidFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const pid_t pid = f.readAll().trimmed().toInt();
    ASSERT_GT(pid, 0);
    // Given up while it compiles: nothing more is said about it.
    server->stop();
    EXPECT_EQ(server->state(), DesignServer::State::Stopped);
    QTest::qWait(200);
    EXPECT_EQ(failed.count(), 0);
    // Started again and the window closes before it is ready: the process is gone with it.
    server->start({dir.filePath(QStringLiteral("design.v"))}, DesignChoices());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QFile again(pidFile);
            return again.open(QIODevice::ReadOnly) && again.readAll().trimmed().toInt() != pid;
        },
        10000));
    f.close();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const pid_t second = f.readAll().trimmed().toInt();
    server.reset();
    EXPECT_NE(::kill(pid, 0), 0);
    EXPECT_NE(::kill(second, 0), 0);
}

TEST(DesignServer, AStartBesideARunningServerKeepsItUntilTheNewOneIsTakenOrFails)
{
    QTemporaryDir dir;
    const auto ready = [](const char* port) {
        return "echo 'listening on 127.0.0.1:" + QByteArray(port) + "'\necho 'design {\"top\":\"t\"}'\nexec sleep 30\n";
    };
    DesignServer server;
    QSignalSpy readySpy(&server, &DesignServer::ready);
    QSignalSpy failed(&server, &DesignServer::failed);
    QSignalSpy ended(&server, &DesignServer::ended);
    const QStringList files{dir.filePath(QStringLiteral("design.v"))};
    server.program = script(dir, "first", ready("4321"));
    server.start(files, DesignChoices());
    ASSERT_TRUE(readySpy.wait(10000));

    // A start that fails: the first one is the server again.
    server.program = script(dir, "broken", "exit 1\n");
    server.start(files, DesignChoices());
    EXPECT_EQ(server.state(), DesignServer::State::Starting);
    ASSERT_TRUE(failed.wait(10000));
    EXPECT_EQ(server.state(), DesignServer::State::Running);
    EXPECT_EQ(server.port(), 4321);
    EXPECT_FALSE(server.hasPrevious());

    // One that comes up is kept beside it until the board has moved, or given up for it.
    server.program = script(dir, "second", ready("4322"));
    server.start(files, DesignChoices());
    ASSERT_TRUE(readySpy.wait(10000));
    EXPECT_EQ(server.port(), 4322);
    EXPECT_TRUE(server.hasPrevious());
    EXPECT_TRUE(server.restorePrevious());
    EXPECT_EQ(server.port(), 4321);
    EXPECT_FALSE(server.restorePrevious());
    server.start(files, DesignChoices());
    ASSERT_TRUE(readySpy.wait(10000));
    server.dropPrevious();
    EXPECT_FALSE(server.hasPrevious());
    EXPECT_EQ(server.port(), 4322);
    // Neither given-up server is reported as ended.
    QTest::qWait(500);
    EXPECT_EQ(ended.count(), 0);
    EXPECT_EQ(server.state(), DesignServer::State::Running);
}

} // namespace
