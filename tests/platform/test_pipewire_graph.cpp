// Reading camera consumers out of pw-dump output written from its documented fields.
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
        QTest::addColumn<QList<ClientClaim>>("consumers");
        // Two links to one consumer count once; pids written as text are read
        // too; the session manager that made the camera node is no consumer.
        const QByteArray two = fixture("pw-dump-camera-two-consumers.json");
        QTest::newRow("two consumers")
            << two << "/dev/video0"
            << QList<ClientClaim>{{4100, 4100, {}, "Cheese", {}}, {4200, 0, {}, "obs", {}}};
        QTest::newRow("another camera's")
            << two << "/dev/video2" << QList<ClientClaim>{{4300, 4300, {}, "other", {}}};
        // The portal's socket pid would name the portal: only its app id is
        // vouched for; a node without a client still says which process made it.
        QTest::newRow("through the portal")
            << fixture("pw-dump-camera-portal-client.json") << "/dev/video0"
            << QList<ClientClaim>{{2, 0, "org.example.Camera", "Camera", {}}, {4400, 0, {}, {}, {}}};
        // Whatever a consumer claims, it is kept with what it says and what the socket showed.
        QTest::newRow("claims") << fixture("pw-dump-camera-claims.json") << "/dev/video0"
                                << QList<ClientClaim>{{0, 0, {}, "bare-node", {}},
                                                      {0, 0, {}, "ghost", {}},
                                                      {4500, 4600, {}, "spy", "/usr/bin/spy"}};
        QTest::newRow("no consumer") << fixture("pw-dump-camera-no-consumer.json") << "/dev/video0"
                                     << QList<ClientClaim>{};
        for (const QByteArray &bad :
             {QByteArray("[{\"id\": 50, \"type\":"),
              QByteArray("[1, \"x\", null, {\"type\": \"PipeWire:Interface:Link\"}]")})
            QTest::newRow(("damaged: " + bad).constData()) << bad << "/dev/video0" << QList<ClientClaim>{};
    }
    void cameraConsumers()
    {
        QFETCH(QByteArray, dump);
        QFETCH(QString, camera);
        QFETCH(QList<ClientClaim>, consumers);
        QList<ClientClaim> found = PipeWireGraph(dump).cameraConsumers(camera);
        std::sort(found.begin(), found.end(), [](auto &a, auto &b) {
            return std::tie(a.pid, a.clientName) < std::tie(b.pid, b.clientName);
        });
        QCOMPARE(found, consumers);
    }
};

QTEST_GUILESS_MAIN(TestPipeWireGraph)
#include "test_pipewire_graph.moc"
