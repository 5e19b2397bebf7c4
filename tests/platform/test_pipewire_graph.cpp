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
    void everyConsumerOfTheCameraOnce()
    {
        const PipeWireGraph graph(fixture("pw-dump-camera-two-consumers.json"));
        QVERIFY(!graph.isEmpty());
        // Two links to one consumer count once; pids written as text are read
        // too; the session manager that made the camera node is no consumer.
        const QList<PipeWireClient> expected{{4100, {}}, {4200, {}}};
        QList<PipeWireClient> consumers = graph.cameraConsumers(QStringLiteral("/dev/video0"));
        std::sort(consumers.begin(), consumers.end(), [](auto &a, auto &b) { return a.pid < b.pid; });
        QCOMPARE(consumers, expected);
        // Each camera has its own consumers.
        QCOMPARE(graph.cameraConsumers(QStringLiteral("/dev/video2")), (QList<PipeWireClient>{{4300, {}}}));
        QVERIFY(graph.cameraConsumers(QStringLiteral("/dev/video1")).isEmpty());
    }

    void aPortalClientIsKnownByItsAppIdOnly()
    {
        const PipeWireGraph graph(fixture("pw-dump-camera-portal-client.json"));
        const QList<PipeWireClient> consumers = graph.cameraConsumers(QStringLiteral("/dev/video0"));
        // The portal's pid and the in-sandbox pid would both name a stranger.
        QVERIFY(consumers.contains(PipeWireClient{0, QStringLiteral("org.example.Camera")}));
        // A node without a client still says which process made it.
        QVERIFY(consumers.contains(PipeWireClient{4400, {}}));
        QCOMPARE(consumers.size(), 2);
    }

    void aCameraNobodyConsumesHasNoClients()
    {
        const PipeWireGraph graph(fixture("pw-dump-camera-no-consumer.json"));
        QVERIFY(!graph.isEmpty());
        QVERIFY(graph.cameraConsumers(QStringLiteral("/dev/video0")).isEmpty());
    }

    void damagedOutputGivesAnEmptyGraph()
    {
        for (const QByteArray &bad : {QByteArray(), QByteArray("{\"id\": 1}"), QByteArray("[{\"id\": 50, \"type\":"),
                                      QByteArray("[1, \"x\", null, {\"type\": \"PipeWire:Interface:Link\"}]")}) {
            const PipeWireGraph graph(bad);
            QVERIFY(graph.cameraConsumers(QStringLiteral("/dev/video0")).isEmpty());
        }
    }

    void aMissingToolGivesNothing()
    {
        QVERIFY(!PipeWireGraph::dump(QStringLiteral("/nonexistent/pw-dump"), 1000));
    }
};

QTEST_GUILESS_MAIN(TestPipeWireGraph)
#include "test_pipewire_graph.moc"
