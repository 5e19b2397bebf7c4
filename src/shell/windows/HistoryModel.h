#pragma once

#include "SensorSession.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>

// The sessions of the history as a table: app, start, how long. It shows a
// copy taken by `setSessions`, in the order given (newest first); cells are
// worded only when a view asks for them, so thousands of rows cost little.
class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { AppColumn, StartedColumn, DurationColumn, ColumnCount };

    explicit HistoryModel(QObject *parent = nullptr);

    void setSessions(QList<SensorSession> sessions);
    const QList<SensorSession> &sessions() const { return m_sessions; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // "Now" while open, else the span in hours, minutes and seconds with
    // abbreviated units, zero units left out ("45s", "1h", "1h 5s").
    static QString durationText(const SensorSession &session);
    static QString durationText(qint64 seconds);
    static QString startedText(const QDateTime &start);

private:
    QList<SensorSession> m_sessions;
    QIcon m_cameraSymbol;
    QIcon m_micSymbol;
};
