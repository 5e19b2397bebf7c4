#pragma once

#include "HubDoor.h"
#include "HubTab.h"

#include <QObject>
#include <QString>

#include <optional>

// What the hub's sections share while it is open: the section shown, a short
// note, whether an acceptable drag hovers over the panel, the doors to
// sibling applications. One per process,
// owned by the shell and handed to whoever shows or changes it.
class HubState : public QObject {
    Q_OBJECT
public:
    explicit HubState(QObject *parent = nullptr);

    HubTab tab() const { return m_tab; }
    void setTab(HubTab tab);
    const std::optional<QString> &note() const { return m_note; }
    void setNote(const std::optional<QString> &note);
    bool dropTargeted() const { return m_dropTargeted; }
    void setDropTargeted(bool targeted);
    const QList<HubDoor> &doors() const { return m_doors; }
    void setDoors(const QList<HubDoor> &doors);

    // The hub closed: what belonged to that opening goes, the section stays.
    void panelClosed();

Q_SIGNALS:
    void tabChanged(HubTab tab);
    void noteChanged(const std::optional<QString> &note);
    void dropTargetedChanged(bool targeted);
    void doorsChanged();

private:
    HubTab m_tab = HubTab::Privacy;
    std::optional<QString> m_note;
    bool m_dropTargeted = false;
    QList<HubDoor> m_doors;
};
