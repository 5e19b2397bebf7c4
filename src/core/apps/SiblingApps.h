#pragma once

#include "HubDoor.h"
#include "InstalledApps.h"
#include "OrvaneApp.h"

#include <QObject>

#include <memory>

// The catalogue's applications, each with what is installed of it. The
// applications folders are read on a worker; `found` tells when they were.
class SiblingApps : public QObject {
    Q_OBJECT
public:
    struct Sibling {
        OrvaneApp app;
        std::optional<InstalledApp> installed; // under the first of its ids that is installed
    };

    SiblingApps(QList<OrvaneApp> catalogue, std::shared_ptr<const InstalledApps> installed,
                QObject *parent = nullptr);

    // Looks again what is installed; a newer look drops an older one's answer.
    void refresh();
    // Whether a look has answered since the start.
    bool isKnown() const { return m_known; }

    const QList<Sibling> &siblings() const { return m_siblings; }
    QList<Sibling> installed() const;
    // The entries not installed whose id is not in `dismissed`.
    QList<OrvaneApp> recommendations(const QStringList &dismissed) const;
    // The app ids of the applications running now; `found` follows.
    void setRunning(const QStringList &appIds);
    // Whether it runs under any of its ids.
    bool isRunning(const OrvaneApp &app) const;
    // The doors the installed siblings declare, in catalogue order.
    QList<HubDoor> doors() const;

    static QList<Sibling> match(const QList<OrvaneApp> &catalogue, const InstalledApps &installed);

Q_SIGNALS:
    void found();

private:
    const QList<OrvaneApp> m_catalogue;
    const std::shared_ptr<const InstalledApps> m_installed;
    QList<Sibling> m_siblings;
    QStringList m_running;
    quint64 m_generation = 0;
    bool m_known = false;
};
