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
        const auto row = [](const char *tag, quint64 bytes, const char *english, const char *german) {
            QTest::newRow(tag) << bytes << QString::fromUtf8(english) << QString::fromUtf8(german);
        };
        row("zero", 0, "0 MB", "0 MB");
        row("one byte rounds up to a megabyte", 1, "1 MB", "1 MB");
        row("just under a gigabyte groups thousands", 1073741823, "1,024 MB", "1.024 MB");
        row("one gigabyte", 1073741824, "1.0 GB", "1,0 GB");
        row("half a megabyte to even", 2621440, "2 MB", "2 MB"); // 2.5 MB
    }
    void formatBytes()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, english);
        QFETCH(QString, german);
        QCOMPARE(::formatBytes(bytes, QLocale(QLocale::English, QLocale::UnitedStates)), english);
        QCOMPARE(::formatBytes(bytes, QLocale(QLocale::German, QLocale::Germany)), german);
    }

    void cleanName_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("clean");
        QTest::newRow("line breaks and tabs part words")
            << QStringLiteral("Zoom\ncamera=off\t[]") << QStringLiteral("Zoom camera=off []");
        QTest::newRow("other controls and runs of space")
            << QStringLiteral("\x1b[31mred  \u2028 x\r\n") << QStringLiteral("[31mred x");
        QTest::newRow("bidirectional overrides go, joiners stay")
            << QStringLiteral("evil\u202Egpj.exe \U0001F468\u200D\U0001F4BB")
            << QStringLiteral("evilgpj.exe \U0001F468\u200D\U0001F4BB");
        QTest::newRow("bytes that were not UTF-8")
            << QString::fromUtf8("caf\xc3\xa9 \xff\xfe rec") << QStringLiteral("caf\u00e9 rec");
        QTest::newRow("a lone surrogate") << (QStringLiteral("a") + QChar(0xD800)) << QStringLiteral("a");
        QTest::newRow("nothing readable") << QStringLiteral("\n\x01 \uFFFD") << QString();
        QTest::newRow("bounded") << QString(200, QLatin1Char('a'))
                                 << QString(maxNameLength, QLatin1Char('a'));
        // A character of two UTF-16 units is never cut in half.
        QTest::newRow("bounded before a wide character")
            << (QString(maxNameLength - 1, QLatin1Char('a')) + QStringLiteral("\U0001F600"))
            << QString(maxNameLength - 1, QLatin1Char('a'));
    }
    void cleanName()
    {
        QFETCH(QString, raw);
        QTEST(::cleanName(raw), "clean");
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "test_text.moc"
