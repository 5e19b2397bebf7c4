// Start at login as an XDG autostart entry: the Exec value quoted for any
// path, and registering that says when it failed.
#include "XdgAutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLoginAutostart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Written as they stand in the file; a plain path and a space are registersAndUnregisters'.
    void execValueQuotesEveryReservedCharacter()
    {
        const QList<std::pair<QString, QString>> quoted{{"/opt/a\"b$c/t", "\"/opt/a\\\\\"b\\\\$c/t\""},
                                                        {"/opt/a\\b`c/t", "\"/opt/a\\\\\\\\b\\\\`c/t\""},
                                                        {"/opt/100%u/t", "\"/opt/100%%u/t\""},
                                                        {"/opt/a\nb/t", "\"/opt/a\\nb/t\""}};
        for (const auto &[program, exec] : quoted)
            QCOMPARE(XdgAutostartEntry::execValue(program), exec);
    }

    // This binary linked from the path, another program of the same name there, none there.
    void launchCommandIsTheBareNameOnlyForTheBinaryOnPath()
    {
        const auto makeProgram = [](const QString &path) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n") > 0 &&
                   file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        };
        for (const auto &[onPath, byName] :
             {std::pair{QStringLiteral("link"), true}, {"other", false}, {"", false}}) {
            QTemporaryDir dir;
            QVERIFY(QDir().mkpath(dir.filePath("build")) && QDir().mkpath(dir.filePath("bin")));
            const QString binary = dir.filePath("build/tarnwick");
            const QString installed = dir.filePath("bin/tarnwick");
            QVERIFY(makeProgram(binary));
            if (onPath == QLatin1String("link"))
                QVERIFY(QFile::link(binary, installed));
            else if (onPath == QLatin1String("other"))
                QVERIFY(makeProgram(installed));
            const QStringList path{dir.filePath("empty"), dir.filePath("bin")};
            QCOMPARE(XdgAutostartEntry::launchCommand(binary, path),
                     byName ? QStringLiteral("tarnwick") : binary);
        }
    }

    void registersAndUnregisters()
    {
        QTemporaryDir dir;
        XdgAutostartEntry entry(dir.filePath("autostart"), "dev.orvane.Tarnwick", "/opt/Tarn wick/tarnwick");
        QCOMPARE(entry.setRegistered(true), QString());
        QVERIFY(entry.isRegistered());
        QFile file(dir.filePath("autostart/dev.orvane.Tarnwick.desktop"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.startsWith("[Desktop Entry]\n") && text.contains("\nType=Application\n"));
        QVERIFY(text.contains("\nExec=\"/opt/Tarn wick/tarnwick\"\n"));
        QCOMPARE(entry.setRegistered(false), QString());
        QVERIFY(!entry.isRegistered());
        QCOMPARE(entry.setRegistered(false), QString()); // already gone is fine

        // A folder that cannot be made: said, not hidden.
        XdgAutostartEntry nowhere(QStringLiteral("/proc/no-such-folder"),
                                  QStringLiteral("dev.orvane.Tarnwick"), QStringLiteral("/usr/bin/tarnwick"));
        QVERIFY(!nowhere.setRegistered(true).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLoginAutostart)
#include "test_xdg_autostart.moc"
