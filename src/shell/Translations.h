#pragma once

#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include <memory>
#include <vector>

// The translations the application shows its texts in: Qt's own (the words
// inside Qt's dialogs) from Qt's folder, and Tarnwick's from its own folders.
// Keep it alive as long as the application.
class Translations {
public:
    // Tarnwick's folders: beside an installed binary (../share/tarnwick/translations),
    // then the XDG data folders.
    static QStringList ownFolders(const QString &applicationDir);

    // Installs on the running application what exists for the locale; a
    // missing translation leaves the English texts.
    void install(const QLocale &locale, const QStringList &ownFolders);

private:
    bool load(const QLocale &locale, const QString &name, const QStringList &folders);

    std::vector<std::unique_ptr<QTranslator>> m_installed;
};
