#include "ManualTask.h"
#include "SimToolFacilities.h"
#include "Tools.h"

#include <QSignalSpy>
#include <QTest>

class TestTools : public QObject {
    Q_OBJECT

    SimToolFacilities m_sim;
    ManualTask *m_awakeEnd = nullptr;
    std::unique_ptr<Tools> m_tools;
    const QDateTime m_now = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);

    QStringList notesOf(Tool tool)
    {
        QSignalSpy notes(m_tools.get(), &Tools::note);
        m_tools->run(tool);
        QStringList texts;
        for (const QList<QVariant> &each : notes)
            texts << each.value(0).toString();
        return texts;
    }

private Q_SLOTS:
    void init()
    {
        auto end = std::make_unique<ManualTask>();
        m_awakeEnd = end.get();
        m_tools = std::make_unique<Tools>(m_sim.all(), std::move(end), [this] { return m_now; });
    }

    void hex_data()
    {
        QTest::addColumn<double>("red");
        QTest::addColumn<double>("green");
        QTest::addColumn<double>("blue");
        QTest::addColumn<QString>("hex");
        QTest::newRow("half rounds up") << 0.5 << 0.0 << 0.0 << "#800000";
        QTest::newRow("example") << 0.204 << 0.827 << 0.4 << "#34D366";
        QTest::newRow("out of range clamps") << 1.3 << -0.2 << qQNaN() << "#FF0000";
    }
    void hex()
    {
        QFETCH(double, red);
        QFETCH(double, green);
        QFETCH(double, blue);
        QTEST(Tools::hex(red, green, blue), "hex");
    }

    void notesFollowTheAnswer()
    {
        // Never on: turning it off changes nothing and still says so.
        QCOMPARE(notesOf(Tool::KeepAwake), QStringList{"Your computer stays awake until you turn this off."});
        QCOMPARE(notesOf(Tool::KeepAwake), QStringList{"Your computer sleeps as usual again."});
        QCOMPARE(notesOf(Tool::HiddenFiles), QStringList{"Files shows hidden files."});
        // A refused switch keeps the state the desktop has, and says that.
        m_sim.hidden.refuses = true;
        QCOMPARE(notesOf(Tool::HiddenFiles), QStringList{"Files shows hidden files."});
        m_sim.dark.refuses = true;
        QCOMPARE(notesOf(Tool::DarkMode),
                 QStringList{"Dark Mode couldn’t be switched — the desktop didn’t answer."});
        m_sim.dark.refuses = false;
        m_sim.dark.changeOutside(true);
        QCOMPARE(notesOf(Tool::DarkMode), QStringList{});
        QVERIFY(!m_tools->isDark());
        m_sim.lock.fails = true;
        QCOMPARE(notesOf(Tool::LockScreen), QStringList{"The screen couldn’t be locked."});
    }

    void timedKeepAwake()
    {
        m_tools->setKeepAwake(true, std::chrono::minutes(30));
        QCOMPARE(m_tools->keepAwakeUntil(), m_now.addSecs(1800));
        // A new call replaces the pending end.
        m_tools->setKeepAwake(true);
        QVERIFY(!m_awakeEnd->isPending());
        QCOMPARE(m_tools->line(Tool::KeepAwake), "Until you turn it off");
        m_tools->setKeepAwake(true, std::chrono::seconds(60));
        m_awakeEnd->advance(std::chrono::seconds(59));
        QVERIFY(m_tools->keepAwakeOn());
        m_awakeEnd->advance(std::chrono::seconds(1));
        QVERIFY(!m_tools->keepAwakeOn());
        // A hold the desktop refuses leaves it off with no end pending.
        m_sim.awake.refuses = true;
        m_tools->setKeepAwake(true, std::chrono::seconds(60));
        QVERIFY(!m_awakeEnd->isPending());
        QCOMPARE(m_tools->keepAwakeUntil(), std::nullopt);
    }

    void eject_data()
    {
        QTest::addColumn<QList<SimDiskEjector::Disk>>("disks");
        QTest::addColumn<QString>("note");
        QTest::newRow("none") << QList<SimDiskEjector::Disk>{} << "No disks to eject.";
        QTest::newRow("one") << QList<SimDiskEjector::Disk>{{"Stick", false}}
                             << "1 disk ejected — safe to unplug.";
        QTest::newRow("two") << QList<SimDiskEjector::Disk>{{"A", false}, {"B", false}}
                             << "2 disks ejected — safe to unplug.";
        QTest::newRow("busy named only") << QList<SimDiskEjector::Disk>{{"Stick", false}, {"Backup", true}}
                                         << "Couldn’t eject Backup — an app is using it.";
    }
    void eject()
    {
        QFETCH(QList<SimDiskEjector::Disk>, disks);
        QFETCH(QString, note);
        m_sim.disks.disks = disks;
        QCOMPARE(notesOf(Tool::EjectAll), QStringList{note});
    }

    // A tool missing here is test_tools_view's; here one this build has no facility for.
    void aToolWithoutAFacility()
    {
        Tools bare({}, std::make_unique<ManualTask>());
        QVERIFY(!bare.isAvailable(Tool::KeepAwake));
        QVERIFY(!bare.line(Tool::KeepAwake).isEmpty());
        bare.run(Tool::KeepAwake);
        QVERIFY(!bare.keepAwakeOn());
    }
};

QTEST_GUILESS_MAIN(TestTools)
#include "test_tools.moc"
