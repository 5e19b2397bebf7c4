// The quiet microphone in the audio servers' own configuration: a user's file keeps everything of theirs, one
// that cannot be read is left alone, and removal takes out exactly what was added.
#include "QuietMicPersistence.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

} // namespace

class TestQuietMicPersistence : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    // A folder name that a shell would split and a quote would end.
    QString configHome() const { return m_dir.filePath(QStringLiteral("it's \"my\" config")); }

private Q_SLOTS:
    void cleanup() { QDir(configHome()).removeRecursively(); }

    // A new file stands in for the system's, so it includes it first; a user's keeps all of theirs.
    void pulseAudioKeepsWhatIsTheUsers()
    {
        const QuietMicPersistence persistence(configHome());
        for (const QByteArray &own :
             {QByteArray(), QByteArray(".include /etc/pulse/default.pa\nload-module module-echo-cancel\n")}) {
            if (!own.isEmpty())
                writeFile(persistence.pulseAudioFile(), own);
            QCOMPARE(persistence.add(QuietMicPersistence::Server::PulseAudio), QuietMicProblem());
            const QByteArray written = contentsOf(persistence.pulseAudioFile());
            QVERIFY(written.startsWith((own.isEmpty() ? ".include /etc/pulse/default.pa\n" : own) +
                                       "### Tarnwick quiet microphone"));
            // What the server makes of the lines is the rig test's.
            QCOMPARE(written.count(".include"), 1);
            QCOMPARE(persistence.add(QuietMicPersistence::Server::PulseAudio),
                     QuietMicProblem()); // once only
            QCOMPARE(contentsOf(persistence.pulseAudioFile()), written);

            QCOMPARE(persistence.remove(), QuietMicProblem());
            QCOMPARE(QFile::exists(persistence.pulseAudioFile()), !own.isEmpty());
            QCOMPARE(contentsOf(persistence.pulseAudioFile()), own);
        }
    }

    void aFileThatCannotBeReadIsLeftAlone()
    {
        const QuietMicPersistence persistence(configHome());
        // A folder where the file should be: it cannot be read as one.
        QVERIFY(QDir().mkpath(persistence.pulseAudioFile()));
        const QuietMicProblem problem = persistence.add(QuietMicPersistence::Server::PulseAudio);
        QCOMPARE(problem.code, QuietMicProblem::Code::FileNotRead);
        QCOMPARE(problem.path, persistence.pulseAudioFile());
        QCOMPARE(persistence.remove().code, QuietMicProblem::Code::FileNotRead);
        QVERIFY(QFileInfo(persistence.pulseAudioFile()).isDir());
    }

    void pipeWireGetsAFileOfItsOwn()
    {
        const QuietMicPersistence persistence(configHome());
        QCOMPARE(persistence.add(QuietMicPersistence::Server::PipeWire), QuietMicProblem());
        QVERIFY(QFile::exists(persistence.pipeWireFile()) && !QFile::exists(persistence.pulseAudioFile()));
        QCOMPARE(persistence.remove(), QuietMicProblem());
        QVERIFY(!QFile::exists(persistence.pipeWireFile()));
    }
};

QTEST_GUILESS_MAIN(TestQuietMicPersistence)
#include "test_quiet_mic_persistence.moc"
