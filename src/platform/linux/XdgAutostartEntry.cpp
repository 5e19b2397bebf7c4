#include "XdgAutostartEntry.h"

#include "CheckedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

XdgAutostartEntry::XdgAutostartEntry(QString autostartFolder, QString appId, QString executable)
    : m_folder(std::move(autostartFolder))
    , m_appId(std::move(appId))
    , m_executable(std::move(executable))
{}

QString XdgAutostartEntry::filePath() const
{
    return m_folder + QLatin1Char('/') + m_appId + QStringLiteral(".desktop");
}

bool XdgAutostartEntry::isRegistered() const
{
    return QFile::exists(filePath());
}

QString XdgAutostartEntry::execValue(const QString &program)
{
    // Inside double quotes the Exec rules reserve " ` $ and \; % is a field code.
    QString quoted;
    for (QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    // Then the escapes of any string value in a desktop entry.
    QString value;
    for (QChar c : quoted) {
        switch (c.unicode()) {
        case '\\':
            value += QStringLiteral("\\\\");
            break;
        case '\n':
            value += QStringLiteral("\\n");
            break;
        case '\t':
            value += QStringLiteral("\\t");
            break;
        case '\r':
            value += QStringLiteral("\\r");
            break;
        default:
            value += c;
        }
    }
    return value;
}

QString XdgAutostartEntry::launchCommand(const QString &binary, const QStringList &searchPath)
{
    const QFileInfo self(binary);
    const QString found = QStandardPaths::findExecutable(self.fileName(), searchPath);
    const QString resolved = self.canonicalFilePath();
    if (!found.isEmpty() && !resolved.isEmpty() && QFileInfo(found).canonicalFilePath() == resolved)
        return self.fileName();
    return binary;
}

QString XdgAutostartEntry::setRegistered(bool on)
{
    if (!on) {
        QFile file(filePath());
        if (file.exists() && !file.remove())
            return QStringLiteral("cannot remove %1: %2").arg(filePath(), file.errorString());
        return {};
    }
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Tarnwick\n"
                                         "Comment=Your notch tells you who’s watching\n"
                                         "Exec=%1\n"
                                         "Icon=%2\n"
                                         "Terminal=false\n"
                                         "NoDisplay=true\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(execValue(m_executable), m_appId);
    const QString problem = CheckedFile::write(filePath(), entry.toUtf8());
    if (!problem.isEmpty())
        return QStringLiteral("cannot write %1: %2").arg(filePath(), problem);
    return {};
}
