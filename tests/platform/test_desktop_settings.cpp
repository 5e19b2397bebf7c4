// The tools' desktop settings in the rig's real settings store (GSettings over dconf in the private session):
// what is written reads back, changes made by another program are followed, and schemas, keys and desktops
// that are not there give a reason instead of a crash.
#include "GSettingsToggle.h"
#include "RequiredService.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using Missing = DesktopFacility::Missing;

class TestDesktopSettings : public QObject {
    Q_OBJECT

    // What another program reads: the store has the value, not just this process.
    static QString readElsewhere(const QString &schema, const QString &key)
    {
        QProcess get;
        get.start("gsettings", {"get", schema, key});
        get.waitForFinished();
        return QString::fromUtf8(get.readAllStandardOutput()).trimmed().remove(QLatin1Char('\''));
    }
    // Another program writes, as the desktop's own settings would.
    static void setElsewhere(const QString &schema, const QString &key, const QString &value)
    {
        QCOMPARE(QProcess::execute(QStringLiteral("gsettings"), {QStringLiteral("set"), schema, key, value}),
                 0);
    }

private Q_SLOTS:
    void switchesAndFollows_data()
    {
        QTest::addColumn<QStringList>("schemaKeyOnOff");
        QTest::newRow("hidden files")
            << QStringList{"org.gtk.Settings.FileChooser", "show-hidden", "true", "false"};
        QTest::newRow("dark mode") << QStringList{"org.gnome.desktop.interface", "color-scheme",
                                                  "prefer-dark", "default"};
    }
    void switchesAndFollows()
    {
        QFETCH(QStringList, schemaKeyOnOff);
        const QString schema = schemaKeyOnOff.at(0), key = schemaKeyOnOff.at(1);
        REQUIRE_SERVICE(GSettingsKey::open(schema, key), schema + QStringLiteral(" installed"));
        const auto toggle = key == QLatin1String("show-hidden")
                                ? GSettingsToggle::hiddenFiles()
                                : GSettingsToggle::darkMode({QStringLiteral("GNOME")});
        toggle->probe();
        QCOMPARE(toggle->missing(), Missing::Nothing);
        QSignalSpy switched(toggle.get(), &DesktopToggle::switched);
        toggle->setOn(!toggle->isOn());
        toggle->setOn(true);
        QCOMPARE(switched.last(), QVariantList{true});
        QTRY_COMPARE(readElsewhere(schema, key), schemaKeyOnOff.at(2));
        setElsewhere(schema, key, schemaKeyOnOff.at(3));
        QTRY_VERIFY(!toggle->isOn());
    }

    void missingGivesAReason()
    {
        GSettingsToggle noSchema({{"org.example.NotInstalled", "key", true, false}}, Missing::Service);
        noSchema.probe();
        QCOMPARE(noSchema.missing(), Missing::Service);
        QSignalSpy switched(&noSchema, &DesktopToggle::switched);
        noSchema.setOn(true);
        QCOMPARE(switched.value(0), QVariantList{false});

        // A value of the wrong type or outside the key's choices is refused, not written.
        for (const QVariant &wrong : {QVariant(true), QVariant(QStringLiteral("purple"))}) {
            GSettingsToggle wrongValue({{"org.gnome.desktop.interface", "color-scheme", wrong, wrong}},
                                       Missing::Service);
            wrongValue.probe();
            QSignalSpy refused(&wrongValue, &DesktopToggle::switched);
            wrongValue.setOn(true);
            QCOMPARE(refused.value(0), QVariantList{false});
        }

        const auto kdeDark = GSettingsToggle::darkMode({QStringLiteral("KDE")});
        kdeDark->probe();
        QCOMPARE(kdeDark->missing(), Missing::DesktopSupport);
        const auto bareIcons = GSettingsToggle::desktopIconsHidden({});
        bareIcons->probe();
        QCOMPARE(bareIcons->missing(), Missing::DesktopIcons);
    }
};

QTEST_GUILESS_MAIN(TestDesktopSettings)
#include "test_desktop_settings.moc"
