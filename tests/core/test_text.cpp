#include "Text.h"

#include <QTest>

class TestText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatBytes_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("german");
        QTest::newRow("zero") << quint64(0) << "0 MB"
                              << "0 MB";
        QTest::newRow("one byte rounds up to a megabyte") << quint64(1) << "1 MB"
                                                          << "1 MB";
        QTest::newRow("640 MB") << quint64(640) * 1048576 << "640 MB"
                                << "640 MB";
        QTest::newRow("just under a gigabyte groups thousands") << quint64(1073741823) << "1,024 MB"
                                                                << "1.024 MB";
        QTest::newRow("one gigabyte") << quint64(1073741824) << "1.0 GB"
                                      << "1,0 GB";
        QTest::newRow("one and a half") << quint64(1610612736) << "1.5 GB"
                                        << "1,5 GB";
        QTest::newRow("half a megabyte to even") << quint64(2621440) << "2 MB"
                                                 << "2 MB"; // 2.5 MB
    }
    void formatBytes()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, english);
        QFETCH(QString, german);
        QCOMPARE(::formatBytes(bytes, QLocale(QLocale::English, QLocale::UnitedStates)), english);
        QCOMPARE(::formatBytes(bytes, QLocale(QLocale::German, QLocale::Germany)), german);
    }

    void fillsPlaceholdersInOrder()
    {
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(fillFormat(QStringLiteral("%d items on the shelf"), {3}, en),
                 QStringLiteral("3 items on the shelf"));
        QCOMPARE(fillFormat(QStringLiteral("%.2fs: %llu (%.1f%%)"), {1.234, quint64(1200), 50.0}, en),
                 QStringLiteral("1.23s: 1,200 (50.0%)"));
        // Names are filled once, not read as formats themselves.
        QCOMPARE(fillFormat(QStringLiteral("%@ and %@"), {QStringLiteral("100%@"), QStringLiteral("b")}, en),
                 QStringLiteral("100%@ and b"));
        // Missing arguments and unknown conversions leave the text as written.
        QCOMPARE(fillFormat(QStringLiteral("%@ %@ %x"), {QStringLiteral("a")}, en),
                 QStringLiteral("a %@ %x"));
        QCOMPARE(L("%@ is using the microphone", QStringLiteral("Chrome")),
                 QStringLiteral("Chrome is using the microphone"));
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "test_text.moc"
