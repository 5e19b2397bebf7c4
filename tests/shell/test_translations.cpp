#include "QuietMic.h"
#include "Text.h"
#include "Translations.h"

#include <QTest>

// A German translation from the test's own folder: placeholders reorder and
// plural forms follow the count; without one the English text is untouched.
class TestTranslations : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void englishWithoutTranslation()
    {
        Translations none;
        none.install(QLocale(QLocale::English), {QStringLiteral(TRANSLATIONS_DIR)});
        QCOMPARE(Text::tr("%1 is using the camera").arg(QStringLiteral("Zoom")),
                 QStringLiteral("Zoom is using the camera"));
    }

    void translationFromOwnFolder()
    {
        // The folder without a translation comes first: the next one is looked in.
        Translations german;
        german.install(QLocale(QLocale::German, QLocale::Austria),
                       {QStringLiteral("/nonexistent"), QStringLiteral(TRANSLATIONS_DIR)});
        QCOMPARE(Text::tr("%1 is using the camera").arg(QStringLiteral("Zoom")),
                 QStringLiteral("Zoom verwendet die Kamera"));
        QCOMPARE(
            Text::tr("The quiet microphone’s setting in %1 could not be changed: %2")
                .arg(QStringLiteral("/etc/x.conf"), QStringLiteral("Zugriff verweigert")),
            QStringLiteral("Zugriff verweigert – die Einstellung des leisen Mikrofons in /etc/x.conf wurde "
                           "nicht geändert"));
        QCOMPARE(Text::tr("%n app(s)", nullptr, 1), QStringLiteral("1 App"));
        QCOMPARE(Text::tr("%n app(s)", nullptr, 3), QStringLiteral("3 Apps"));
        // Texts the translation lacks stay English.
        QCOMPARE(Text::tr("Allow"), QStringLiteral("Allow"));
    }

    // Names come from other programs and the file system: whatever they
    // contain is shown as written, in English and in a translation that puts
    // them in another order.
    void namesInsertedAsWritten_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("qt placeholders") << QStringLiteral("Cam %1%2");
        QTest::newRow("printf placeholders") << QStringLiteral("100%@ %d%% Studio");
        QTest::newRow("plural placeholder") << QStringLiteral("%n apps");
        QTest::newRow("lone percent") << QStringLiteral("50%");
    }

    void namesInsertedAsWritten()
    {
        QFETCH(QString, name);
        const QString path = QStringLiteral("/home/") + name + QStringLiteral("/pipewire.conf");
        const QuietMicProblem problem{QuietMicProblem::Code::FileNotWritten, path, name};
        QCOMPARE(QuietMic::describe(problem), QStringLiteral("The quiet microphone’s setting in ") + path +
                                                  QStringLiteral(" could not be changed: ") + name);
        Translations german;
        german.install(QLocale(QLocale::German), {QStringLiteral(TRANSLATIONS_DIR)});
        QCOMPARE(QuietMic::describe(problem),
                 name + QStringLiteral(" – die Einstellung des leisen Mikrofons in ") + path +
                     QStringLiteral(" wurde nicht geändert"));
    }

    void ownFoldersBesideTheBinary()
    {
        QCOMPARE(Translations::ownFolders(QStringLiteral("/opt/tarnwick/bin")).value(0),
                 QStringLiteral("/opt/tarnwick/share/tarnwick/translations"));
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "test_translations.moc"
