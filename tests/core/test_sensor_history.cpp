#include "SensorHistory.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

namespace {

const SensorUser zoom{100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos")};
const SensorUser chat{200, QStringLiteral("Chat"), QStringLiteral("org.chat.Chat")};
const SensorUser arecord{400, QStringLiteral("arecord"), QString()};

QDateTime at(int secondsAfterTen, int msecs = 0)
{
    return QDateTime(QDate(2026, 3, 4), QTime(10, 0), Qt::UTC).addSecs(secondsAfterTen).addMSecs(msecs);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QJsonArray fileArray(SensorHistory &history)
{
    history.flush();
    return QJsonDocument::fromJson(readAll(history.filePath())).array();
}

// Counts the history's warnings, wherever they are logged from.
std::atomic<int> saveWarnings{0};
QtMessageHandler previousHandler = nullptr;

void countingHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.contains(QLatin1String("cannot save the history")))
        ++saveWarnings;
    else
        previousHandler(type, context, message);
}

// Makes a folder unwritable, also for root (which file modes do not stop).
bool makeReadOnly(const QString &folder)
{
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const auto writable = [&] {
        QFile probe(folder + QStringLiteral("/probe"));
        const bool ok = probe.open(QIODevice::WriteOnly);
        probe.remove();
        return ok;
    };
    if (writable())
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), folder});
    return !writable();
}

void makeWritable(const QString &folder)
{
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), folder});
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class TestSensorHistory : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("history.json")); }

private Q_SLOTS:
    void initTestCase() { previousHandler = qInstallMessageHandler(countingHandler); }
    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void init()
    {
        QVERIFY(m_dir.isValid());
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(m_dir.filePath(name));
        saveWarnings = 0;
    }

    void aUseBecomesOneSessionWithItsStartAndEnd()
    {
        SensorHistory history(path());
        QSignalSpy changed(&history, &SensorHistory::sessionsChanged);
        history.update(Sensor::Camera, {zoom}, at(0));
        history.update(Sensor::Camera, {zoom}, at(2));
        history.update(Sensor::Camera, {}, at(5));
        // The repeated state changed nothing and was not saved.
        QCOMPARE(changed.size(), 2);
        QCOMPARE(history.sessions().size(), 1);
        const SensorSession &s = history.sessions().first();
        QCOMPARE(s.sensor, Sensor::Camera);
        QCOMPARE(s.app, zoom.name);
        QCOMPARE(s.bundleID, zoom.bundleID);
        QCOMPARE(s.start, at(0));
        QCOMPARE(s.end, at(5));
        QCOMPARE(s.duration(at(60)), 5.0);

        const QJsonArray array = fileArray(history);
        QCOMPARE(array.size(), 1);
        const QJsonObject o = array.first().toObject();
        QCOMPARE(o.keys(), (QStringList{"app", "bundleID", "end", "id", "sensor", "start"}));
        QCOMPARE(o.value("sensor").toString(), QStringLiteral("camera"));
        QCOMPARE(o.value("app").toString(), QStringLiteral("Zoom"));
        QCOMPARE(o.value("bundleID").toString(), QStringLiteral("us.zoom.xos"));
        QCOMPARE(o.value("id").toString(), s.id.toString(QUuid::WithoutBraces).toUpper());
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                    .match(o.value("id").toString())
                    .hasMatch());
        QCOMPARE(o.value("end").toDouble() - o.value("start").toDouble(), 5.0);
    }

    void datesCountSecondsSince2001WithFraction()
    {
        const QDateTime date = QDateTime(QDate(2001, 1, 2), QTime(0, 0), Qt::UTC).addMSecs(500);
        QCOMPARE(SensorSession::referenceSeconds(date), 86400.5);
        QCOMPARE(SensorSession::fromReferenceSeconds(86400.5), date);
        QCOMPARE(SensorSession::fromReferenceSeconds(-0.25),
                 QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59, 750), Qt::UTC));

        SensorHistory history(path());
        history.update(Sensor::Microphone, {arecord}, date);
        const QJsonObject o = fileArray(history).first().toObject();
        QCOMPARE(o.value("start").toDouble(), 86400.5);
        // No bundle id, still open: both keys left out.
        QCOMPARE(o.keys(), (QStringList{"app", "id", "sensor", "start"}));
        QCOMPARE(o.value("sensor").toString(), QStringLiteral("microphone"));
    }

    void eachUserAndSensorHasItsOwnSession()
    {
        SensorHistory history(path());
        // The same user twice in one list opens one session.
        history.update(Sensor::Camera, {zoom, zoom}, at(0));
        history.update(Sensor::Microphone, {zoom, arecord}, at(0));
        QCOMPARE(history.sessions().size(), 3);
        // [A] to [A, B]: A's session stays, B's is placed before it.
        const QUuid zoomCamera = history.sessions().at(2).id;
        history.update(Sensor::Camera, {zoom, chat}, at(1));
        QCOMPARE(history.sessions().size(), 4);
        QCOMPARE(history.sessions().at(0).app, chat.name);
        QCOMPARE(history.sessions().at(3).id, zoomCamera);
        QCOMPARE(history.sessions().at(3).start, at(0));

        // An empty microphone list closes every microphone session, no camera session.
        history.update(Sensor::Microphone, {}, at(4));
        for (const SensorSession &s : history.sessions())
            QCOMPARE(s.end.has_value(), s.sensor == Sensor::Microphone);

        // A restarted app (new pid) gets its old session closed and a new one.
        const SensorUser restarted{zoom.pid + 1, zoom.name, zoom.bundleID};
        history.update(Sensor::Camera, {restarted, chat}, at(6));
        QCOMPARE(history.sessions().size(), 5);
        QCOMPARE(history.sessions().at(4).end, at(6));
        QCOMPARE(history.sessions().at(0).start, at(6));
        QVERIFY(!history.sessions().at(0).end);
    }

    void onlyTheNewest2000AreKept()
    {
        SensorHistory history(path());
        for (int i = 0; i < SensorHistory::cap + 1; ++i) {
            const SensorUser user{1000 + i, QStringLiteral("App %1").arg(i), QString()};
            history.update(Sensor::Camera, {user}, at(i));
        }
        QCOMPARE(history.sessions().size(), SensorHistory::cap);
        QCOMPARE(history.sessions().first().app, QStringLiteral("App 2000"));
        QCOMPARE(history.sessions().last().app, QStringLiteral("App 1"));
        // The last update closed the session before it; the first one is gone.
        QCOMPARE(history.sessions().at(1).end, at(2000));
        const QJsonArray array = fileArray(history);
        QCOMPARE(array.size(), SensorHistory::cap);
        QCOMPARE(array.last().toObject().value("app").toString(), QStringLiteral("App 1"));
    }

    void sessionsFromTheFileAreReadAndNeverTouched()
    {
        QList<SensorSession> written;
        {
            SensorHistory history(path());
            history.update(Sensor::Camera, {zoom}, at(0, 123));
            history.update(Sensor::Microphone, {arecord}, at(1));
            history.update(Sensor::Microphone, {}, at(3, 500));
            written = history.sessions();
        }
        SensorHistory history(path());
        QCOMPARE(history.sessions(), written);
        QVERIFY(history.keptAsidePath().isEmpty());
        // The open map starts empty: the old open camera session stays open,
        // the use still in progress opens a fresh one.
        history.update(Sensor::Camera, {}, at(10));
        QCOMPARE(history.sessions(), written);
        history.update(Sensor::Camera, {zoom}, at(11));
        QCOMPARE(history.sessions().size(), 3);
        QVERIFY(!history.sessions().at(2).end);
    }

    void aDamagedFileIsKeptAsideAndTheHistoryStartsEmpty_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray id = R"({"id":"0B9F5A77-5E0C-4C8B-9B1C-2D4E6F8A0B1C")";
        const QByteArray good = id + R"(,"sensor":"camera","app":"Zoom","start":10)";
        QTest::newRow("an object, not a list") << QByteArray(good + "}");
        QTest::newRow("a session without app") << QByteArray("[" + id + R"(,"sensor":"camera","start":1}])");
        QTest::newRow("truncated") << QByteArray("[" + good + "},{\"id\":\"0B9F");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("start is text") << QByteArray("[" + good + R"(,"start":"yesterday"}])");
        QTest::newRow("end is text") << QByteArray("[" + good + R"(,"end":"later"}])");
        QTest::newRow("end out of range") << QByteArray("[" + good + R"(,"end":1e300}])");
        QTest::newRow("bundle id is a number") << QByteArray("[" + good + R"(,"bundleID":5}])");
        QTest::newRow("app is a number")
            << QByteArray("[" + id + R"(,"sensor":"camera","app":1,"start":0}])");
        QTest::newRow("not a UUID")
            << QByteArray(R"([{"id":"session-1","sensor":"camera","app":"Zoom","start":1}])");
        QTest::newRow("unknown sensor") << QByteArray("[" + id + R"(,"sensor":"gps","app":"Z","start":1}])");
        QTest::newRow("a number in the list") << QByteArray("[" + good + "},7]");
    }

    void aDamagedFileIsKeptAsideAndTheHistoryStartsEmpty()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeAll(path(), bytes));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("history file .* kept it as .*damaged")));
        SensorHistory history(path());
        QVERIFY(history.sessions().isEmpty());
        QCOMPARE(history.keptAsidePath(), path() + QStringLiteral(".damaged"));
        QCOMPARE(readAll(history.keptAsidePath()), bytes);
        QVERIFY(!QFile::exists(path()));

        history.update(Sensor::Camera, {zoom}, at(0));
        QCOMPARE(fileArray(history).size(), 1);
        QCOMPARE(readAll(history.keptAsidePath()), bytes);
    }

    void anEarlierKeptFileIsNeverOverwritten()
    {
        const QString aside = path() + QStringLiteral(".damaged");
        QVERIFY(writeAll(aside, "earlier damage"));
        QVERIFY(writeAll(path() + QStringLiteral(".damaged-2"), "even earlier"));
        QVERIFY(writeAll(path(), "{broken"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("kept it as .*damaged-3")));
        SensorHistory history(path());
        QCOMPARE(history.keptAsidePath(), path() + QStringLiteral(".damaged-3"));
        QCOMPARE(readAll(history.keptAsidePath()), QByteArray("{broken"));
        QCOMPARE(readAll(aside), QByteArray("earlier damage"));
        QCOMPARE(readAll(path() + QStringLiteral(".damaged-2")), QByteArray("even earlier"));
    }

    void anUnwritableFolderKeepsTheHistoryInMemoryAndLosesNothingOnDisk()
    {
        const QString folder = m_dir.filePath(QStringLiteral("readonly"));
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + QStringLiteral("/history.json");
        {
            SensorHistory history(file);
            history.update(Sensor::Camera, {zoom}, at(0));
        }
        const QByteArray onDisk = readAll(file);
        QVERIFY(!onDisk.isEmpty());
        if (!makeReadOnly(folder)) {
            makeWritable(folder);
            QSKIP("this machine cannot make a folder read-only");
        }
        SensorHistory history(file);
        history.update(Sensor::Microphone, {arecord}, at(1));
        history.flush();
        history.update(Sensor::Microphone, {}, at(2));
        history.flush();
        makeWritable(folder);
        QCOMPARE(saveWarnings.load(), 1);
        QCOMPARE(readAll(file), onDisk);
        QCOMPARE(history.sessions().size(), 2);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"history.json"});

        // The next save tries again and keeps everything.
        history.update(Sensor::Camera, {chat}, at(3));
        QCOMPARE(fileArray(history).size(), 3);
        QCOMPARE(saveWarnings.load(), 1);
    }

    void clearingEmptiesTheFileAndRecordsOngoingUsesAgain()
    {
        SensorHistory history(path());
        history.update(Sensor::Camera, {zoom}, at(0));
        history.clear();
        QVERIFY(history.sessions().isEmpty());
        QCOMPARE(fileArray(history).size(), 0);
        history.update(Sensor::Camera, {zoom}, at(3));
        QCOMPARE(history.sessions().size(), 1);
        QCOMPARE(history.sessions().first().start, at(3));
    }

};

QTEST_GUILESS_MAIN(TestSensorHistory)
#include "test_sensor_history.moc"
