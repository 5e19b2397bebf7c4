#pragma once

#include <QPointer>

class HistoryView;
class SensorHistory;

// The titled history window: made on first showing, brought to the front
// when shown again, gone when the user closes it.
class HistoryWindow {
public:
    explicit HistoryWindow(SensorHistory &history);
    ~HistoryWindow();

    void show();
    // Absent until shown and after the user closed it.
    HistoryView *view() const;

private:
    SensorHistory &m_history;
    QPointer<HistoryView> m_view;
};
