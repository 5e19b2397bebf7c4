#include "Report.h"

#include "CheckedFile.h"
#include "Log.h"

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
    const QString problem = CheckedFile::write(m_file, m_lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    // The run goes on without its file; say so once.
    if (!problem.isEmpty() && !m_writeFailed)
        qCWarning(lcSelfCheck).noquote().nospace() << "cannot write the report " << m_file << ": " << problem;
    m_writeFailed = !problem.isEmpty();
}
