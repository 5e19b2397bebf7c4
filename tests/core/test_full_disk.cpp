#include "CheckedFile.h"
#include "DefaultsStore.h"
#include "FullFileSystem.h"
#include "PrivacySwitch.h"
#include "Samples.h"
#include "SensorHistory.h"
#include "Settings.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

#define REQUIRE_FULL_FILE_SYSTEM(fs)                                                                         \
    if (!(fs).problem().isEmpty())                                                                           \
        QSKIP(qPrintable(QStringLiteral("needs a full file system of its own: ") + (fs).problem()));         \
    QVERIFY((fs).fill())

class TestFullDisk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checkedWriteKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("size");
        // Smaller than the write buffer (fails only at the flush) and larger.
        QTest::newRow("small") << 200;
        QTest::newRow("large") << 100000;
    }
    void checkedWriteKeepsTheOldFile()
    {
        QFETCH(int, size);
        FullFileSystem fs;
        const QString path = fs.filePath(QStringLiteral("file.json"));
        if (fs.problem().isEmpty())
            QVERIFY(writeFileBytes(path, "old"));
        REQUIRE_FULL_FILE_SYSTEM(fs);
        QVERIFY(!CheckedFile::write(path, QByteArray(size, 'n')).isEmpty());
        QCOMPARE(fileBytes(path), QByteArray("old"));
    }

    void settingsStayInMemoryAndTheFailureIsToldOnce()
    {
        FullFileSystem fs;
        const QString path = fs.filePath(QStringLiteral("settings.json"));
        const QByteArray saved = R"({"MicGuardSaved": {"desk": {"mute": 0, "volumes": [1, 39322]}}})";
        if (fs.problem().isEmpty())
            QVERIFY(writeFileBytes(path, saved));
        REQUIRE_FULL_FILE_SYSTEM(fs);

        DefaultsStore store(path);
        QStringList told;
        store.setSaveFailureHandler([&told](const QString &problem) { told.append(problem); });
        store.setValue(QStringLiteral("MicOff"), true);
        store.remove(QStringLiteral("MicGuardSaved"));
        QCOMPARE(fileBytes(path), saved);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(QStringLiteral("space")), qPrintable(told.first()));
        QCOMPARE(store.boolValue(QStringLiteral("MicOff")), true);
        QVERIFY(!store.contains(QStringLiteral("MicGuardSaved")));

        // Told again at once when asked later; and saved once there is room.
        QStringList late;
        store.setSaveFailureHandler([&late](const QString &problem) { late.append(problem); });
        QCOMPARE(late.size(), 1);
        QVERIFY(QFile::remove(fs.filePath(QStringLiteral("ballast"))));
        store.setValue(QStringLiteral("HaloMic"), false);
        QCOMPARE(fileObject(path).value(QStringLiteral("MicOff")).toBool(), true);
        QCOMPARE(late.size(), 1);
    }

    void theUserIsToldOnce()
    {
        FullFileSystem fs;
        REQUIRE_FULL_FILE_SYSTEM(fs);
        DefaultsStore store(fs.filePath(QStringLiteral("settings.json")));
        Settings settings(store);
        PrivacySwitch privacy(settings, build());
        QSignalSpy notes(&privacy, &PrivacySwitch::note);
        settings.haloForMic.set(false); // failing before the shell listens
        privacy.start();
        settings.announce.set(false);
        QCOMPARE(notes.size(), 1);
        QVERIFY(
            notes.first().first().toString().startsWith(QStringLiteral("Tarnwick cannot save its settings")));
        QCOMPARE(settings.haloForMic.value(), false);
    }

    void historyKeepsItsFileAndSaysSoOnce()
    {
        FullFileSystem fs;
        const QString path = fs.filePath(QStringLiteral("history.json"));
        const QDateTime start = QDateTime::fromSecsSinceEpoch(1700000000);
        QByteArray before;
        if (fs.problem().isEmpty()) {
            SensorHistory history(path);
            history.update(Sensor::Camera, {zoom}, start);
            history.flush();
            before = fileBytes(path);
            QVERIFY(!before.isEmpty());
        }
        REQUIRE_FULL_FILE_SYSTEM(fs);

        SensorHistory history(path);
        QSignalSpy failed(&history, &SensorHistory::saveFailed);
        history.update(Sensor::Microphone, {bare}, start.addSecs(1));
        history.flush();
        history.update(Sensor::Microphone, {}, start.addSecs(2));
        history.flush();
        QVERIFY(failed.wait(5000));
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(history.sessions().size(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(failed.size(), 1);

        // Once there is room the next save keeps everything, and no half-written file is left.
        QVERIFY(QFile::remove(fs.filePath(QStringLiteral("ballast"))));
        history.update(Sensor::Camera, {chat}, start.addSecs(3));
        history.flush();
        QCOMPARE(QJsonDocument::fromJson(fileBytes(path)).array().size(), 3);
        QCOMPARE(QDir(fs.filePath(QString())).entryList(QDir::Files), QStringList{"history.json"});
        QCOMPARE(failed.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestFullDisk)
#include "test_full_disk.moc"
