#pragma once

#include <QWidget>

class HistoryModel;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTableView;
class SensorHistory;

// The history window's content: the sessions as a table, newest first, with a
// footer that says where they are kept and a button that clears them. It
// shows the sessions as they were when it appeared; a session that starts or
// ends meanwhile shows up when it appears again.
class HistoryView : public QWidget {
    Q_OBJECT
public:
    explicit HistoryView(SensorHistory &history, QWidget *parent = nullptr);

    // Takes the history's sessions again.
    void reload();
    // Empties the history, its file too.
    void clear();

    HistoryModel *model() const { return m_model; }
    QTableView *table() const { return m_table; }
    QLabel *emptyText() const { return m_empty; }
    QPushButton *clearButton() const { return m_clear; }
    bool showsTable() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showSessions();

    SensorHistory &m_history;
    HistoryModel *m_model;
    QStackedWidget *m_pages;
    QLabel *m_empty;
    QTableView *m_table;
    QPushButton *m_clear;
};
