#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QLocale>
#include <QMutex>
#include <QStringList>

#include <optional>

// What identifies an installed application by its desktop entry.
struct DesktopEntry {
    QString id;                           // desktop-file id without ".desktop", e.g. "org.gnome.Cheese"
    QString name;                         // Name, localised
    QString program;                      // file name of the program Exec starts, past any `env` prefix
    QString tryExec;                      // file name of TryExec
    QString wmClass;                      // StartupWMClass
    QString icon = {};                    // Icon: a theme name or an absolute path; empty when unusable
    QStringList categories = {};          // Categories
    QString location = {};                // the entry's file
    QStringList launch = {};              // Exec as a program and its arguments, without field codes
    QHash<QString, QString> hubDoor = {}; // X-Orvane-HubDoor-* values by the rest of the key
    friend bool operator==(const DesktopEntry &, const DesktopEntry &) = default;
};

// The desktop entries of the applications folders, read once and read again
// when a folder's modification time changes (a few stat calls at a lookup,
// at most once a second; no watcher). Thread-safe.
class DesktopEntryIndex {
public:
    // `folders` in precedence order: an id found in an earlier folder hides
    // the same id in later ones.
    explicit DesktopEntryIndex(QStringList folders, QLocale locale = QLocale());

    // $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS, then the
    // Flatpak export folders when those are not listed already.
    static QStringList defaultFolders();

    std::optional<DesktopEntry> byId(const QString &id) const;
    // The entry whose Exec or TryExec program has one of these file names.
    std::optional<DesktopEntry> byProgram(const QStringList &fileNames) const;
    std::optional<DesktopEntry> byWindowClass(const QString &windowClass) const;

    // One entry's text; nothing when it is not a shown application.
    static std::optional<DesktopEntry> parse(const QByteArray &text, const QString &id,
                                             const QLocale &locale);
    // The file name of the program an Exec value starts.
    static QString execProgram(const QString &exec);
    // What to run for an Exec value when no file or address is handed over:
    // its arguments without the field codes ("%f", "%U", …), "%%" as "%".
    static QStringList launchArguments(const QString &exec);
    // An Icon value as the icon theme looks it up: absolute paths as they are,
    // names without an image extension some entries add; nothing for relative paths.
    static QString iconName(const QString &icon);

private:
    void refreshIfChanged() const; // with m_mutex held
    void load(const QString &folder, const QString &prefix) const;

    const QStringList m_folders;
    const QLocale m_locale;
    mutable QMutex m_mutex;
    mutable QHash<QString, QDateTime> m_stamps; // every folder read, with its modification time
    mutable QDateTime m_loadedAt;
    mutable QElapsedTimer m_checked;
    mutable QHash<QString, DesktopEntry> m_byId;
    mutable QHash<QString, QString> m_idByProgram;
    mutable QHash<QString, QString> m_idByWindowClass; // lower case
};
