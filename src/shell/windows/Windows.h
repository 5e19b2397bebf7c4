#pragma once

#include "MenuActions.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>

class QMainWindow;
class QWidget;

// Tarnwick's titled windows (welcome, settings, history), one of each at
// most. While one is open Tarnwick has a taskbar entry and a menu bar; when
// the last one closes it is a tray icon again. Closed windows are deleted,
// so each showing starts fresh.
class Windows : public QObject {
    Q_OBJECT
public:
    struct Kind {
        QString id;
        QString title;
        QSize size;
        bool resizable = true;
    };

    explicit Windows(MenuActions actions, QObject *parent = nullptr);
    ~Windows() override;

    // The window of that kind, made with `content` if it is not open, and
    // brought to the front either way.
    QMainWindow *show(const Kind &kind, const std::function<QWidget *()> &content);
    // Closes it as its close button would; nothing when it is not open.
    void close(const QString &id);
    QMainWindow *window(const QString &id) const;
    bool anyOpen() const;
    // Minimises every open window ("Hide Tarnwick").
    void hideAll();

Q_SIGNALS:
    void opened(const QString &id);
    // After the window has gone.
    void closed(const QString &id);

private:
    MenuActions m_actions;
    QHash<QString, QPointer<QMainWindow>> m_open;
};
