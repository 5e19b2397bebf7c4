// The history window's table, its durations, and clearing it, on the
// offscreen platform.
#include "HistoryModel.h"
#include "HistoryView.h"
#include "SensorHistory.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

const SensorUser zoom{100, QStringLiteral("Zoom"), QStringLiteral("us.zoom.xos")};
const SensorUser memos{200, QStringLiteral("Voice Memos"), QString()};

QDateTime at(int seconds)
{
    return QDateTime(QDate(2026, 3, 4), QTime(10, 0), Qt::UTC).addSecs(seconds);
}

QString cell(const HistoryView &view, int row, int column)
{
    return view.model()->index(row, column).data().toString();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestHistoryView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void durations_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero minutes left out") << qint64(3605) << QStringLiteral("1h 5s");
        QTest::newRow("every unit") << qint64(3 * 3600 + 2 * 60 + 1) << QStringLiteral("3h 2m 1s");
        QTest::newRow("nothing") << qint64(0) << QStringLiteral("0s");
        QTest::newRow("over a day stays in hours") << qint64(26 * 3600) << QStringLiteral("26h");
    }
    void durations()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(HistoryModel::durationText(seconds), text);
    }

    void sessionsNewestFirstWithTheOpenOneInUse()
    {
        SensorHistory history{QString()};
        history.update(Sensor::Camera, {zoom}, at(0));
        history.update(Sensor::Microphone, {memos}, at(10));
        history.update(Sensor::Camera, {}, at(45));
        HistoryView view(history);

        QVERIFY(view.showsTable());
        QVERIFY(view.clearButton()->isEnabled());
        QCOMPARE(view.model()->rowCount(), 2);
        QCOMPARE(cell(view, 0, HistoryModel::AppColumn), memos.name);
        QCOMPARE(cell(view, 0, HistoryModel::DurationColumn), QStringLiteral("Now"));
        QCOMPARE(cell(view, 1, HistoryModel::AppColumn), zoom.name);
        QCOMPARE(cell(view, 1, HistoryModel::DurationColumn), QStringLiteral("45s"));
        QCOMPARE(cell(view, 1, HistoryModel::StartedColumn), HistoryModel::startedText(at(0)));
        QVERIFY(!view.model()
                     ->index(0, HistoryModel::AppColumn)
                     .data(Qt::DecorationRole)
                     .value<QIcon>()
                     .isNull());
        QCOMPARE(view.model()->headerData(HistoryModel::DurationColumn, Qt::Horizontal).toString(),
                 QStringLiteral("How long"));
    }

    void aSessionThatEndsWhileShownWaitsForTheNextAppearance()
    {
        SensorHistory history{QString()};
        history.update(Sensor::Camera, {zoom}, at(0));
        HistoryView view(history);
        history.update(Sensor::Camera, {}, at(30));
        QCOMPARE(cell(view, 0, HistoryModel::DurationColumn), QStringLiteral("Now"));
        view.show();
        QCOMPARE(cell(view, 0, HistoryModel::DurationColumn), QStringLiteral("30s"));
    }

    void clearEmptiesTheFileOnDisk()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.json"));
        SensorHistory history(path);
        history.update(Sensor::Camera, {zoom}, at(0));
        history.update(Sensor::Microphone, {memos}, at(5));
        history.flush();
        QCOMPARE(QJsonDocument::fromJson(fileBytes(path)).array().size(), 2);

        HistoryView view(history);
        view.show();
        QTest::mouseClick(view.clearButton(), Qt::LeftButton);
        history.flush();
        const QJsonDocument onDisk = QJsonDocument::fromJson(fileBytes(path));
        QVERIFY(onDisk.isArray());
        QVERIFY(onDisk.array().isEmpty());
        QVERIFY(history.sessions().isEmpty());
        // Empty: its text, and nothing to clear.
        QVERIFY(!view.showsTable());
        QVERIFY(view.emptyText()->isVisible());
        QVERIFY(!view.clearButton()->isEnabled());

        // Still in use after the clear: it starts again as a new session.
        history.update(Sensor::Camera, {zoom}, at(60));
        QCOMPARE(history.sessions().size(), 1);
        QCOMPARE(history.sessions().first().start, at(60));
    }

    void thousandsOfSessionsScrollToTheOldest()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.json"));
        QJsonArray sessions;
        for (int i = 0; i < 20000; ++i) {
            SensorSession s{QUuid::createUuid(),
                            i % 2 ? Sensor::Camera : Sensor::Microphone,
                            QStringLiteral("App %1").arg(i),
                            QString(),
                            at(-i * 60),
                            at(-i * 60 + 30)};
            sessions.append(s.toJson());
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(sessions).toJson(QJsonDocument::Compact));
        file.close();

        SensorHistory history(path);
        HistoryView view(history);
        view.resize(640, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.model()->rowCount(), 20000);
        QCOMPARE(cell(view, 19999, HistoryModel::AppColumn), QStringLiteral("App 19999"));
        view.table()->scrollToBottom();
        QCOMPARE(view.table()->rowAt(view.table()->viewport()->height() - 1), 19999);
    }
};

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestHistoryView test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_history_view.moc"
