#pragma once

#include <QString>
#include <QStringList>

// A self-check report: "ok "/"FAIL " statements, measurement lines and
// "note: " lines, rewritten atomically after every line so an interrupted run
// still leaves a readable file.
class Report {
public:
    explicit Report(QString filePath);

    void line(const QString &text);
    void check(bool ok, const QString &statement);
    void fail(const QString &statement);
    void note(const QString &text);
    // Writes the closing "ok" or "FAILED" and answers the process exit status.
    int finish();

    const QStringList &lines() const { return m_lines; }
    const QStringList &failures() const { return m_failures; }
    QString filePath() const { return m_file; }

private:
    void write();

    QString m_file;
    QStringList m_lines;
    QStringList m_failures;
    bool m_writeFailed = false;
};
