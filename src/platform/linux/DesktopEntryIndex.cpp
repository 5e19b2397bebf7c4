#include "DesktopEntryIndex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

// Programs that start other programs: their name says nothing about which
// application a process is.
const QSet<QString> &launchers()
{
    static const QSet<QString> names{
        QStringLiteral("env"),  QStringLiteral("sh"),      QStringLiteral("bash"),
        QStringLiteral("dash"), QStringLiteral("python"),  QStringLiteral("python3"),
        QStringLiteral("perl"), QStringLiteral("java"),    QStringLiteral("node"),
        QStringLiteral("gjs"),  QStringLiteral("flatpak"), QStringLiteral("snap"),
        QStringLiteral("sudo"), QStringLiteral("pkexec"),  QStringLiteral("xdg-open"),
    };
    return names;
}

// The escapes every string value of a desktop entry may hold.
QString unescapeValue(const QString &raw)
{
    QString value;
    value.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw.at(i) != QLatin1Char('\\') || i + 1 == raw.size()) {
            value += raw.at(i);
            continue;
        }
        switch (raw.at(++i).unicode()) {
        case 's':
            value += QLatin1Char(' ');
            break;
        case 'n':
            value += QLatin1Char('\n');
            break;
        case 't':
            value += QLatin1Char('\t');
            break;
        case 'r':
            value += QLatin1Char('\r');
            break;
        default:
            value += raw.at(i);
            break;
        }
    }
    return value;
}

// Splits an Exec value into arguments: blanks separate them, double quotes
// group, and inside quotes a backslash takes the next character literally.
QStringList execArguments(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size())
                current += exec.at(++i);
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                current += c;
        } else if (c == QLatin1Char('"')) {
            quoted = any = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (any)
                arguments.append(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        arguments.append(current);
    return arguments;
}

QString fileName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

DesktopEntryIndex::DesktopEntryIndex(QStringList folders, QLocale locale)
    : m_folders(std::move(folders))
    , m_locale(std::move(locale))
{}

QStringList DesktopEntryIndex::defaultFolders()
{
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    QStringList dataDirs = qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (dataDirs.isEmpty())
        dataDirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    QStringList bases{home};
    bases += dataDirs;
    for (const QString &exports : {home + QStringLiteral("/flatpak/exports/share"),
                                   QStringLiteral("/var/lib/flatpak/exports/share")}) {
        if (!bases.contains(exports))
            bases.append(exports);
    }
    QStringList folders;
    for (const QString &base : std::as_const(bases))
        folders.append(QDir::cleanPath(base + QStringLiteral("/applications")));
    folders.removeDuplicates();
    return folders;
}

QString DesktopEntryIndex::execProgram(const QString &exec)
{
    const QStringList arguments = execArguments(exec);
    qsizetype at = 0;
    // `env NAME=value program …` runs `program`.
    if (at < arguments.size() && fileName(arguments.at(at)) == QLatin1String("env")) {
        ++at;
        while (at < arguments.size() && arguments.at(at).contains(QLatin1Char('=')))
            ++at;
    }
    return at < arguments.size() ? fileName(arguments.at(at)) : QString();
}

QStringList DesktopEntryIndex::launchArguments(const QString &exec)
{
    QStringList arguments;
    for (const QString &argument : execArguments(exec)) {
        QString kept;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            if (argument.at(i) != QLatin1Char('%')) {
                kept += argument.at(i);
            } else if (i + 1 < argument.size() && argument.at(i + 1) == QLatin1Char('%')) {
                kept += QLatin1Char('%');
                ++i;
            } else {
                ++i; // a field code, filled with nothing
            }
        }
        // A lone field code stands for arguments that are not there.
        if (!kept.isEmpty() || !argument.startsWith(QLatin1Char('%')))
            arguments.append(kept);
    }
    return arguments;
}

QString DesktopEntryIndex::iconName(const QString &icon)
{
    if (icon.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(icon);
    if (icon.contains(QLatin1Char('/')))
        return {};
    for (const char *extension : {".png", ".svg", ".xpm"}) {
        if (icon.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return icon.chopped(4);
    }
    return icon;
}

std::optional<DesktopEntry> DesktopEntryIndex::parse(const QByteArray &text, const QString &id,
                                                     const QLocale &locale)
{
    QHash<QString, QString> values;
    bool inMainGroup = false;
    for (const QByteArray &rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals < 1)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!values.contains(key))
            values.insert(key, unescapeValue(line.mid(equals + 1).trimmed()));
    }
    if (values.value(QStringLiteral("Type")) != QLatin1String("Application") ||
        values.value(QStringLiteral("Hidden")) == QLatin1String("true"))
        return std::nullopt;

    // Name[ll_CC], then Name[ll], then Name.
    const QString localeName = locale.name();
    QString name;
    for (const QString &key : {QStringLiteral("Name[%1]").arg(localeName),
                               QStringLiteral("Name[%1]").arg(localeName.section(QLatin1Char('_'), 0, 0)),
                               QStringLiteral("Name")}) {
        name = values.value(key);
        if (!name.isEmpty())
            break;
    }
    if (name.isEmpty())
        return std::nullopt;
    DesktopEntry entry;
    entry.id = id;
    entry.name = name;
    entry.program = execProgram(values.value(QStringLiteral("Exec")));
    entry.tryExec = fileName(values.value(QStringLiteral("TryExec")));
    entry.wmClass = values.value(QStringLiteral("StartupWMClass"));
    entry.icon = iconName(values.value(QStringLiteral("Icon")));
    entry.categories = values.value(QStringLiteral("Categories")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    entry.launch = launchArguments(values.value(QStringLiteral("Exec")));
    const QLatin1String doorPrefix("X-Orvane-HubDoor-");
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (it.key().startsWith(doorPrefix))
            entry.hubDoor.insert(it.key().mid(doorPrefix.size()), it.value());
    }
    return entry;
}

void DesktopEntryIndex::load(const QString &folder, const QString &prefix) const
{
    const QFileInfo info(folder);
    m_stamps.insert(folder, info.lastModified());
    if (!info.isDir())
        return;
    const QDir dir(folder);
    // Entries in subfolders have ids with the folder names joined by "-".
    for (const QString &sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        load(dir.filePath(sub), prefix + sub + QLatin1Char('-'));
    for (const QString &file : dir.entryList({QStringLiteral("*.desktop")}, QDir::Files, QDir::Name)) {
        const QString id = prefix + file.chopped(8);
        if (m_byId.contains(id))
            continue;
        QFile entryFile(dir.filePath(file));
        if (!entryFile.open(QIODevice::ReadOnly))
            continue;
        std::optional<DesktopEntry> entry = parse(entryFile.read(1 << 20), id, m_locale);
        if (!entry)
            continue;
        entry->location = entryFile.fileName();
        m_byId.insert(id, *entry);
        for (const QString &program : {entry->program, entry->tryExec}) {
            if (!program.isEmpty() && !launchers().contains(program) && !m_idByProgram.contains(program))
                m_idByProgram.insert(program, id);
        }
        if (!entry->wmClass.isEmpty() && !m_idByWindowClass.contains(entry->wmClass.toLower()))
            m_idByWindowClass.insert(entry->wmClass.toLower(), id);
    }
}

void DesktopEntryIndex::refreshIfChanged() const
{
    // A listing asks hundreds of times in a burst: the folders are looked at
    // again at most once a second, so a new entry shows a second late at worst.
    constexpr qint64 recheckMs = 1000;
    if (m_checked.isValid() && m_checked.elapsed() < recheckMs)
        return;
    m_checked.start();
    if (!m_stamps.isEmpty()) {
        // File times move in coarse steps: a folder changed in the same step
        // as the last read may have changed after it, unseen.
        const QDateTime uncertain = m_loadedAt.addSecs(-2);
        bool changed = false;
        for (auto it = m_stamps.cbegin(); it != m_stamps.cend() && !changed; ++it)
            changed = QFileInfo(it.key()).lastModified() != it.value() || it.value() >= uncertain;
        if (!changed)
            return;
    }
    m_loadedAt = QDateTime::currentDateTime();
    m_stamps.clear();
    m_byId.clear();
    m_idByProgram.clear();
    m_idByWindowClass.clear();
    for (const QString &folder : m_folders)
        load(folder, QString());
}

std::optional<DesktopEntry> DesktopEntryIndex::byId(const QString &id) const
{
    const QMutexLocker lock(&m_mutex);
    refreshIfChanged();
    const auto found = m_byId.constFind(id);
    return found == m_byId.cend() ? std::nullopt : std::optional<DesktopEntry>(*found);
}

std::optional<DesktopEntry> DesktopEntryIndex::byProgram(const QStringList &fileNames) const
{
    const QMutexLocker lock(&m_mutex);
    refreshIfChanged();
    for (const QString &name : fileNames) {
        const QString id = m_idByProgram.value(name);
        if (!id.isEmpty())
            return m_byId.value(id);
    }
    return std::nullopt;
}

std::optional<DesktopEntry> DesktopEntryIndex::byWindowClass(const QString &windowClass) const
{
    const QMutexLocker lock(&m_mutex);
    refreshIfChanged();
    const QString id = m_idByWindowClass.value(windowClass.toLower());
    return id.isEmpty() ? std::nullopt : std::optional<DesktopEntry>(m_byId.value(id));
}
