#include "Samples.h"
#include "SensorHistory.h"
#include "StoredDate.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QDateTime at(int secondsAfterTen, int msecs = 0)
{
    return QDateTime(QDate(2026, 3, 4), QTime(10, 0), Qt::UTC).addSecs(secondsAfterTen).addMSecs(msecs);
}

QJsonArray fileArray(SensorHistory &history)
{
    history.flush();
    return QJsonDocument::fromJson(fileBytes(history.filePath())).array();
}

} // namespace

class TestSensorHistory : public QObject {
    Q_OBJECT
    std::optional<QTemporaryDir> m_dir;
    QString path() const { return m_dir->filePath(QStringLiteral("history.json")); }

private Q_SLOTS:
    void init() { m_dir.emplace(); }

    void aUseIsOneSessionStoredInTheExactForm()
    {
        SensorHistory history(path());
        QSignalSpy changed(&history, &SensorHistory::sessionsChanged);
        // Stored dates count seconds since 2001-01-01 UTC, with a fraction.
        const QDateTime start = QDateTime(QDate(2001, 1, 2), QTime(0, 0), Qt::UTC).addMSecs(500);
        history.update(Sensor::Camera, {zoom}, start);
        history.update(Sensor::Camera, {zoom}, start.addSecs(2)); // no change, no save
        history.update(Sensor::Microphone, {bare}, start);
        history.update(Sensor::Camera, {}, start.addSecs(5));
        QCOMPARE(changed.size(), 3);
        QCOMPARE(history.sessions().size(), 2);

        const QJsonArray array = fileArray(history);
        const auto id = [&history](int i) {
            return history.sessions().at(i).id.toString(QUuid::WithoutBraces).toUpper();
        };
        QCOMPARE(array.at(1).toObject(), (QJsonObject{{"id", id(1)},
                                                      {"sensor", "camera"},
                                                      {"app", "Zoom"},
                                                      {"bundleID", "us.zoom.xos"},
                                                      {"start", 86400.5},
                                                      {"end", 86405.5}}));
        // No app id, still open: both keys left out.
        QCOMPARE(
            array.at(0).toObject(),
            (QJsonObject{{"id", id(0)}, {"sensor", "microphone"}, {"app", "arecord"}, {"start", 86400.5}}));
        QCOMPARE(StoredDate::fromSeconds(-0.25),
                 QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59, 750), Qt::UTC));
    }

    void eachUserAndSensorHasItsOwnSession()
    {
        SensorHistory history(path());
        // The same user twice in one list opens one session.
        history.update(Sensor::Camera, {zoom, zoom}, at(0));
        history.update(Sensor::Microphone, {zoom, bare}, at(0));
        QCOMPARE(history.sessions().size(), 3);
        // [A] to [A, B]: A's session stays, B's is placed before it.
        const QUuid zoomCamera = history.sessions().at(2).id;
        history.update(Sensor::Camera, {zoom, chat}, at(1));
        QCOMPARE(history.sessions().size(), 4);
        QCOMPARE(history.sessions().at(0).app, chat.name);
        QCOMPARE(history.sessions().at(3).id, zoomCamera);

        // An empty microphone list closes every microphone session, no camera session.
        history.update(Sensor::Microphone, {}, at(4));
        for (const SensorSession &s : history.sessions())
            QCOMPARE(s.end.has_value(), s.sensor == Sensor::Microphone);

        // A restarted app (new pid) gets its old session closed and a new one.
        const SensorUser restarted{zoom.pid + 1, zoom.name, zoom.appId};
        history.update(Sensor::Camera, {restarted, chat}, at(6));
        QCOMPARE(history.sessions().size(), 5);
        QCOMPARE(history.sessions().at(4).end, at(6));
        QCOMPARE(history.sessions().at(0).start, at(6));
        QVERIFY(!history.sessions().at(0).end);

        // Users known by name only are told apart by it.
        const SensorUser rec{0, QStringLiteral("rec"), {}}, other{0, QStringLiteral("other"), {}};
        history.update(Sensor::Microphone, {rec, other}, at(7));
        history.update(Sensor::Microphone, {other}, at(8));
        QCOMPARE(history.sessions().at(1).app, rec.name);
        QCOMPARE(history.sessions().at(1).end, at(8));
        QVERIFY(!history.sessions().at(0).end);
    }

    void onlyTheNewest2000AreKept()
    {
        SensorHistory history(path());
        for (int i = 0; i < 2001; ++i) {
            const SensorUser user{1000 + i, QStringLiteral("App %1").arg(i), QString()};
            history.update(Sensor::Camera, {user}, at(i));
        }
        QCOMPARE(history.sessions().size(), 2000);
        QCOMPARE(history.sessions().last().app, QStringLiteral("App 1"));
        // The last update closed the session before it; the first one is gone.
        QCOMPARE(history.sessions().at(1).end, at(2000));
        QCOMPARE(fileArray(history).last().toObject().value("app").toString(), QStringLiteral("App 1"));
    }

    // Churn (recorders coming and going many times a second) costs one write
    // per delay, not one per change; nothing waiting is lost when the history goes.
    void aBurstOfChangesIsWrittenOnceAfterTheDelay()
    {
        {
            SensorHistory history(path());
            for (int i = 0; i < 50; ++i)
                history.update(Sensor::Microphone, {i % 2 ? zoom : bare}, at(0, i * 20));
            QVERIFY(!QFile::exists(path()));
            QTRY_VERIFY(QFile::exists(path()));
            const QByteArray written = fileBytes(path());
            QCOMPARE(QJsonDocument::fromJson(written).array().size(), 50);

            history.update(Sensor::Microphone, {}, at(2));
            QCOMPARE(fileBytes(path()), written);
        }
        const QJsonArray array = QJsonDocument::fromJson(fileBytes(path())).array();
        QCOMPARE(array.size(), 50);
        QVERIFY(array.at(0).toObject().contains(QLatin1String("end")));
    }

    void sessionsFromTheFileAreReadAndNeverTouched()
    {
        SensorHistory earlier(path());
        earlier.update(Sensor::Camera, {zoom}, at(0, 123));
        earlier.update(Sensor::Microphone, {bare}, at(1));
        earlier.update(Sensor::Microphone, {}, at(3, 500));
        earlier.flush();
        const QList<SensorSession> written = earlier.sessions();
        SensorHistory history(path());
        QCOMPARE(history.sessions(), written);
        // The open map starts empty: the old open camera session stays open,
        // the use still in progress opens a fresh one.
        history.update(Sensor::Camera, {}, at(10));
        QCOMPARE(history.sessions(), written);
        history.update(Sensor::Camera, {zoom}, at(11));
        QCOMPARE(history.sessions().size(), 3);
        QVERIFY(!history.sessions().at(2).end);

        // Names read are clean: the file may have been written by hand.
        QVERIFY(writeFileBytes(path(), "[{\"id\": \"0F6C7C1E-4E43-4A4B-9C0A-2D0B8B5A1F00\", \"sensor\": "
                                       "\"camera\", \"app\": \"two\\nlines\\u0007\", \"start\": 10}]"));
        QCOMPARE(SensorHistory(path()).sessions().constFirst().app, QStringLiteral("two lines"));
    }

    void aDamagedFileIsKeptAsideAndTheHistoryStartsEmpty_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray id = R"({"id":"0B9F5A77-5E0C-4C8B-9B1C-2D4E6F8A0B1C")";
        const QByteArray good = id + R"(,"sensor":"camera","app":"Zoom","start":10)";
        QTest::newRow("an object, not a list") << QByteArray(good + "}");
        QTest::newRow("a session without app") << QByteArray("[" + id + R"(,"sensor":"camera","start":1}])");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("start is text") << QByteArray("[" + good + R"(,"start":"yesterday"}])");
        QTest::newRow("end out of range") << QByteArray("[" + good + R"(,"end":1e300}])");
        QTest::newRow("app id is a number") << QByteArray("[" + good + R"(,"bundleID":5}])");
        QTest::newRow("not a UUID") << QByteArray(
            R"([{"id":"session-1","sensor":"camera","app":"Zoom","start":1}])");
        QTest::newRow("unknown sensor") << QByteArray("[" + id + R"(,"sensor":"gps","app":"Z","start":1}])");
        QTest::newRow("a number in the list") << QByteArray("[" + good + "},7]");
    }

    void aDamagedFileIsKeptAsideAndTheHistoryStartsEmpty()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFileBytes(path(), bytes));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("history file .* kept it as .*damaged")));
        SensorHistory history(path());
        QVERIFY(history.sessions().isEmpty());
        QCOMPARE(history.keptAsidePath(), path() + QStringLiteral(".damaged"));
        QVERIFY(!QFile::exists(path()));
        // A free name for damage found again is DefaultsStore's test (test_settings).
        history.update(Sensor::Camera, {zoom}, at(0));
        QCOMPARE(fileArray(history).size(), 1);
        QCOMPARE(fileBytes(history.keptAsidePath()), bytes);
    }
};

QTEST_GUILESS_MAIN(TestSensorHistory)
#include "test_sensor_history.moc"
