#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// The real tarnwick binary ($TARNWICK_BINARY) with settings, data, config and runtime folders of its own:
// launches of one test meet as one instance, and nothing of the user's or of other tests' is touched.
// Launches still running are killed when this goes.
class PrivateTarnwick {
public:
    explicit PrivateTarnwick(QProcessEnvironment env = QProcessEnvironment::systemEnvironment());
    ~PrivateTarnwick();

    static QString binary();
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QProcessEnvironment &environment() { return m_env; }
    // Its output goes to the test's own unless `captured`, when it is kept for reading.
    QProcess &launch(const QStringList &arguments = {}, bool captured = false);
    // Every process running the binary with this data folder, launched here or not.
    QList<qint64> runningPids() const;

    QJsonObject settings() const;
    void writeSettings(const QJsonObject &settings) const;
    // A file's lines without empty ones; none when it cannot be read.
    static QStringList lines(const QString &path);

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_launches;
};
