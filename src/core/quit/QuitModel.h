#pragma once

#include "QuitPlanner.h"
#include "QuitReport.h"

#include <QAbstractListModel>
#include <QSet>

#include <functional>
#include <optional>

class Quitter;
class RunningApps;
class Settings;

// The quit section's state: the running applications, the preset and the
// apps the user keeps, a quit run and its outcome. One row per application.
class QuitModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { NameRole = Qt::UserRole + 1, MemoryRole, IconRole, WillQuitRole };
    enum class Phase { Ready, Quitting, Done };

    QuitModel(Settings &settings, RunningApps &running, Quitter &quitter, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Example apps shown instead of the running ones (snapshots, demonstrations).
    void setFixedApps(std::optional<QList<AppEntry>> apps);
    // The pids now using a camera or microphone, asked whenever a plan is made.
    void setInUse(std::function<QSet<qint32>()> inUse) { m_inUse = std::move(inUse); }

    // Lists and measures again, except while quitting; a result on screen stays.
    void refresh();
    const QList<AppEntry> &apps() const { return m_apps; }
    QuitPreset preset() const;
    void setPreset(QuitPreset preset);
    QuitPlan plan() const;
    bool willQuit(const AppEntry &app) const;
    void setWillQuit(int row, bool quit);

    Phase phase() const { return m_phase; }
    int closedCount() const { return m_closedCount; }
    int quittingCount() const { return m_quittingCount; }
    const QuitReport &report() const { return m_report; }
    QString buttonTitle() const;
    bool canQuit() const;
    void quitAll();
    // Force-quits one still-open app of the result and counts it as closed.
    void forceQuit(const AppEntry &app);
    // Back from the result to the list, listed afresh.
    void done();

Q_SIGNALS:
    // The phase, the preset, the plan or the report changed.
    void changed();
    void busyChanged(bool busy);

private:
    void setApps(const QList<AppEntry> &apps, bool measured);
    void setPhase(Phase phase);

    Settings &m_settings;
    RunningApps &m_running;
    Quitter &m_quitter;
    std::function<QSet<qint32>()> m_inUse;
    std::optional<QList<AppEntry>> m_fixed;
    QList<AppEntry> m_apps;
    Phase m_phase = Phase::Ready;
    int m_closedCount = 0;
    int m_quittingCount = 0;
    QuitReport m_report;
};
