#include "Report.h"

#include "Log.h"

#include <QSaveFile>

Report::Report(QString filePath)
    : m_file(std::move(filePath))
{}

void Report::line(const QString &text)
{
    m_lines.append(text);
    write();
}

void Report::check(bool ok, const QString &statement)
{
    if (ok)
        line(QStringLiteral("ok ") + statement);
    else
        fail(statement);
}

void Report::fail(const QString &statement)
{
    m_failures.append(statement);
    line(QStringLiteral("FAIL ") + statement);
}

void Report::note(const QString &text)
{
    line(QStringLiteral("note: ") + text);
}

int Report::finish()
{
    line(m_failures.isEmpty() ? QStringLiteral("ok") : QStringLiteral("FAILED"));
    return m_failures.isEmpty() ? 0 : 1;
}

void Report::write()
{
    QSaveFile file(m_file);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        file.write(m_lines.join(QLatin1Char('\n')).toUtf8() + '\n');
        written = file.commit();
    }
    // The run goes on without its file; say so once.
    if (!written && !m_writeFailed)
        qCWarning(lcSelfCheck).noquote().nospace()
            << "cannot write the report " << m_file << ": " << file.errorString();
    m_writeFailed = !written;
}
