#include "Translations.h"

#include "Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QStandardPaths>

QStringList Translations::ownFolders(const QString &applicationDir)
{
    QStringList folders{QDir::cleanPath(applicationDir + QStringLiteral("/../share/tarnwick/translations"))};
    folders +=
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                  QStringLiteral("tarnwick/translations"), QStandardPaths::LocateDirectory);
    folders.removeDuplicates();
    return folders;
}

void Translations::install(const QLocale &locale, const QStringList &ownFolders)
{
    load(locale, QStringLiteral("qtbase"), {QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
    load(locale, QStringLiteral("tarnwick"), ownFolders);
}

bool Translations::load(const QLocale &locale, const QString &name, const QStringList &folders)
{
    for (const QString &folder : folders) {
        auto translator = std::make_unique<QTranslator>();
        // Tries every UI language of the locale, most specific first ("de_AT", "de").
        if (!translator->load(locale, name, QStringLiteral("_"), folder))
            continue;
        if (!QCoreApplication::installTranslator(translator.get())) {
            qCWarning(lcShell).noquote().nospace()
                << "translation " << translator->filePath() << " not installed";
            return false;
        }
        qCDebug(lcShell).noquote().nospace() << "texts from " << translator->filePath();
        m_installed.push_back(std::move(translator));
        return true;
    }
    return false;
}
