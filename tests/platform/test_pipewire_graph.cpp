// Reading camera consumers out of pw-dump output written from its documented
// fields.
#include "PipeWireGraph.h"

#include <QFile>
#include <QTest>

namespace {

QByteArray fixture(const char *name)
{
    QFile file(QStringLiteral(PLATFORM_FIXTURES "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPipeWireGraph : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cameraConsumers_data()
    {
        QTest::addColumn<QByteArray>("dump");
        QTest::addColumn<QString>("camera");
        QTest::addColumn<QList<PipeWireClient>>("consumers");
        // Two links to one consumer count once; pids written as text are read
        // too; the session manager that made the camera node is no consumer.
        const QByteArray two = fixture("pw-dump-camera-two-consumers.json");
        QTest::newRow("two consumers")
            << two << "/dev/video0" << QList<PipeWireClient>{{4100, {}}, {4200, {}}};
        QTest::newRow("another camera's") << two << "/dev/video2" << QList<PipeWireClient>{{4300, {}}};
        QTest::newRow("an unused camera") << two << "/dev/video1" << QList<PipeWireClient>{};
        // The portal's pid and the in-sandbox pid would both name a stranger;
        // a node without a client still says which process made it.
        QTest::newRow("through the portal")
            << fixture("pw-dump-camera-portal-client.json") << "/dev/video0"
            << QList<PipeWireClient>{{0, QStringLiteral("org.example.Camera")}, {4400, {}}};
        QTest::newRow("no consumer") << fixture("pw-dump-camera-no-consumer.json") << "/dev/video0"
                                     << QList<PipeWireClient>{};
        for (const QByteArray &bad :
             {QByteArray(), QByteArray("{\"id\": 1}"), QByteArray("[{\"id\": 50, \"type\":"),
              QByteArray("[1, \"x\", null, {\"type\": \"PipeWire:Interface:Link\"}]")})
            QTest::newRow(("damaged: " + bad).constData()) << bad << "/dev/video0" << QList<PipeWireClient>{};
    }
    void cameraConsumers()
    {
        QFETCH(QByteArray, dump);
        QFETCH(QString, camera);
        QFETCH(QList<PipeWireClient>, consumers);
        QList<PipeWireClient> found = PipeWireGraph(dump).cameraConsumers(camera);
        std::sort(found.begin(), found.end(), [](auto &a, auto &b) { return a.pid < b.pid; });
        QCOMPARE(found, consumers);
    }

    void aMissingToolGivesNothing()
    {
        QVERIFY(!PipeWireGraph::dump(QStringLiteral("/nonexistent/pw-dump"), 1000));
    }
};

QTEST_GUILESS_MAIN(TestPipeWireGraph)
#include "test_pipewire_graph.moc"
