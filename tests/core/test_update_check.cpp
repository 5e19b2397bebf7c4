#include "Appcast.h"
#include "DefaultsStore.h"
#include "FirstCheck.h"
#include "StoredDate.h"
#include "UpdateCheck.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray feed(const QString &version, const QString &page = QStringLiteral("https://example.org/tarnwick"))
{
    return QStringLiteral(R"(<?xml version="1.0"?><rss version="2.0" xmlns:sparkle=)"
                          R"("http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><item>)"
                          "<link>%1</link><sparkle:version>%2</sparkle:version></item></channel></rss>")
        .arg(page, version)
        .toUtf8();
}
QByteArray http(int status, const QByteArray &body, const QByteArray &headers = {})
{
    return "HTTP/1.1 " + QByteArray::number(status) +
           " X\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" +
           headers + "\r\n" + body;
}
} // namespace

class TestUpdateCheck : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QSslServer m_server;
    QSslCertificate m_certificate;
    QByteArrayList m_responses; // one per request, in order
    QByteArrayList m_requests;  // each request's target

    QString url(const QString &host = QStringLiteral("127.0.0.1")) const
    {
        return QStringLiteral("https://%1:%2/feed.xml").arg(host).arg(m_server.serverPort());
    }
    std::unique_ptr<UpdateCheck> check(DefaultsStore &store, bool counts = true, QString feedUrl = {})
    {
        AppInfo info{QStringLiteral("dev.orvane.Tarnwick"), QStringLiteral("1.4"),
                     feedUrl.isNull() ? url() : feedUrl, false, counts};
        auto made = std::make_unique<UpdateCheck>(info, store);
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setCaCertificates({m_certificate});
        made->setSslConfiguration(ssl);
        return made;
    }
    static UpdateCheck::Result run(UpdateCheck &check)
    {
        QSignalSpy finished(&check, &UpdateCheck::finished);
        check.checkNow();
        return finished.wait(10000) ? finished.constFirst().constFirst().value<UpdateCheck::Result>()
                                    : UpdateCheck::Result{};
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString key = m_dir.filePath(QStringLiteral("key.pem"));
        const QString cert = m_dir.filePath(QStringLiteral("cert.pem"));
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      QStringLiteral("req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 -addext "
                                     "subjectAltName=IP:127.0.0.1")
                              .split(QLatin1Char(' '))
                          << QStringLiteral("-keyout") << key << QStringLiteral("-out") << cert);
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
            QSKIP("openssl cannot make a certificate here");
        QFile keyFile(key);
        QVERIFY(keyFile.open(QIODevice::ReadOnly));
        m_certificate = QSslCertificate::fromPath(cert).value(0);
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setLocalCertificate(m_certificate);
        ssl.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa));
        m_server.setSslConfiguration(ssl);
        connect(&m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
            auto *socket = qobject_cast<QSslSocket *>(m_server.nextPendingConnection());
            connect(socket, &QSslSocket::readyRead, socket, [this, socket] {
                if (!socket->peek(64 * 1024).contains("\r\n\r\n"))
                    return;
                m_requests.append(socket->readAll().split(' ').value(1));
                socket->write(m_responses.isEmpty() ? QByteArray() : m_responses.takeFirst());
                socket->disconnectFromHost();
            });
            connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        });
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        qRegisterMetaType<UpdateCheck::Result>();
    }
    void init()
    {
        m_requests.clear();
        m_responses.clear();
    }

    void theFirstCheckIsCountedOnceAfterAFeedWasRead_data()
    {
        QTest::addColumn<QByteArray>("failure");
        QTest::addColumn<QString>("why");
        QTest::newRow("server error") << http(500, {}) << "answered 500";
        QTest::newRow("damaged feed") << http(200, feed(QStringLiteral("9.0")).left(90)) << "line 1";
        QTest::newRow("a feed without a release") << http(200, "<rss><channel/></rss>") << "no release";
        QTest::newRow("redirect to another host")
            << http(302, {}, "Location: " + url(QStringLiteral("localhost")).toUtf8() + "\r\n")
            << "another host";
        QTest::newRow("redirect to http")
            << http(302, {}, "Location: http://127.0.0.1:1/feed.xml\r\n") << "not https";
        QTest::newRow("too large") << http(200, QByteArray(2 << 20, ' ')) << "not an update feed";
    }
    void theFirstCheckIsCountedOnceAfterAFeedWasRead()
    {
        QFETCH(QByteArray, failure);
        QFETCH(QString, why);
        DefaultsStore store;
        const auto updates = check(store);
        m_responses = {failure,
                       // The same host may move its feed.
                       http(301, {}, "Location: /moved.xml\r\n"), http(200, feed(QStringLiteral("1.10"))),
                       http(200, feed(QStringLiteral("1.4")))};
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^update check of .* failed: .+")));
        const UpdateCheck::Result failed = run(*updates);
        QVERIFY2(failed.problem.contains(why), qPrintable(failed.problem));
        QVERIFY(!store.boolValue(QLatin1String(FirstCheck::key)));

        const UpdateCheck::Result newer = run(*updates);
        QCOMPARE(newer.kind, UpdateCheck::Result::Kind::NewerVersion);
        QCOMPARE(newer.newest.page, QUrl(QStringLiteral("https://example.org/tarnwick")));
        QVERIFY(store.boolValue(QLatin1String(FirstCheck::key)));
        QCOMPARE(run(*updates).kind, UpdateCheck::Result::Kind::UpToDate);
        QCOMPARE(m_requests.first(), "/feed.xml?first=1");
        QCOMPARE(m_requests.mid(m_requests.size() - 3),
                 QByteArrayList({"/feed.xml?first=1", "/moved.xml", "/feed.xml"}));
    }

    void aBuildThatDoesNotCountSendsNothingExtra()
    {
        DefaultsStore store;
        const auto updates = check(store, false);
        m_responses = {http(200, feed(QStringLiteral("1.4")))};
        QCOMPARE(run(*updates).kind, UpdateCheck::Result::Kind::UpToDate);
        QCOMPARE(m_requests, QByteArrayList{"/feed.xml"});
        QVERIFY(!store.contains(QLatin1String(FirstCheck::key)));
    }

    void onlyHttpsFeedsAreAsked()
    {
        DefaultsStore store;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("is not an https address")));
        const auto updates =
            check(store, true, QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort()));
        updates->start();
        updates->checkNow();
        QVERIFY(!updates->hasFeed() && !updates->isChecking());
        QVERIFY(check(store, true, QString(""))->nextCheckIn().count() < 0);
    }

    // Never more than once a day, whatever the stored date says.
    void checksByItselfOnceADay_data()
    {
        QTest::addColumn<QJsonValue>("lastCheck");
        QTest::addColumn<qint64>("expectedMinutes");
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QTest::newRow("23 hours ago")
            << QJsonValue(StoredDate::seconds(now.addSecs(-23 * 3600))) << qint64(60);
        QTest::newRow("two days ago") << QJsonValue(StoredDate::seconds(now.addDays(-2))) << qint64(0);
        QTest::newRow("in a year") << QJsonValue(StoredDate::seconds(now.addYears(1))) << qint64(24 * 60);
        QTest::newRow("damaged") << QJsonValue(QStringLiteral("yesterday")) << qint64(0);
    }
    void checksByItselfOnceADay()
    {
        QFETCH(QJsonValue, lastCheck);
        QFETCH(qint64, expectedMinutes);
        DefaultsStore store;
        store.setValue(QLatin1String(UpdateCheck::lastCheckKey), lastCheck);
        const auto updates = check(store, false);
        updates->start();
        const qint64 minutes = std::chrono::round<std::chrono::minutes>(updates->nextCheckIn()).count();
        QCOMPARE(minutes, expectedMinutes);
    }

    void theNewestReleaseIsRead_data()
    {
        QTest::addColumn<QByteArray>("items");
        QTest::addColumn<QString>("newest");
        const QByteArray page = "<link>https://example.org/r</link>";
        const auto item = [&page](const QByteArray &version, const QByteArray &link = {}) {
            return "<item>" + (link.isNull() ? page : link) + "<sparkle:version>" + version +
                   "</sparkle:version></item>";
        };
        QTest::newRow("numbers, not text") << item("1.9") + item("1.10") << "1.10";
        QTest::newRow("an item without an https page is passed over")
            << item("3", "<link>http://example.org/r</link>") + item("2") << "2";
        QTest::newRow("version on the enclosure")
            << "<item>" + page +
                   R"(<enclosure url="https://example.org/t.deb" sparkle:version="2.1"/></item>)"
            << "2.1";
    }
    void theNewestReleaseIsRead()
    {
        QFETCH(QByteArray, items);
        QFETCH(QString, newest);
        const QByteArray text = R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">)"
                                "<channel>" +
                                items + "</channel></rss>";
        const std::optional<Appcast::Release> release = Appcast::newest(text);
        QCOMPARE(release ? release->version : QString(), newest);
    }

    void versionsCompareAsReleases_data()
    {
        QTest::addColumn<QString>("older");
        QTest::addColumn<QString>("newer");
        for (const auto &[tag, older, newer] :
             {std::tuple{"pre-release", "1.2b1", "1.2"},
              {"patch", "1.2", "1.2.1"},
              {"beta before release candidate", "2.0b3", "2.0rc1"},
              {"beyond 64 bits", "99999999999999999999", "100000000000000000000"}})
            QTest::newRow(tag) << QString::fromLatin1(older) << QString::fromLatin1(newer);
    }
    void versionsCompareAsReleases()
    {
        QFETCH(QString, older);
        QFETCH(QString, newer);
        QCOMPARE(Appcast::compareVersions(older, newer), -1);
        QCOMPARE(Appcast::compareVersions(newer, older), 1);
        QCOMPARE(Appcast::compareVersions(newer, QStringLiteral("0") + newer), 0);
    }
};

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "test_update_check.moc"
