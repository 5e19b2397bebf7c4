#pragma once

#include "MenuActions.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>

class DefaultsStore;
class QMainWindow;
class QWidget;

// Tarnwick's titled windows (welcome, settings, history), one of each at
// most. While one is open Tarnwick has a taskbar entry and a menu bar; when
// the last one closes it is a tray icon again. Closed windows are deleted,
// so each showing starts fresh; where each was and its size are kept in
// the settings file and given back the next time it opens.
class Windows : public QObject {
    Q_OBJECT
public:
    struct Kind {
        QString id;
        QString title;
        QSize size;
        bool resizable = true;
    };

    Windows(MenuActions actions, DefaultsStore &frames, QObject *parent = nullptr);
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    void opened(const QString &id);
    // After the window has gone.
    void closed(const QString &id);

private:
    static QString frameKey(const QString &id);
    void placeNew(QMainWindow &window, const QString &id);
    void keepFrame(const QMainWindow &window);

    MenuActions m_actions;
    DefaultsStore &m_frames;
    QHash<QString, QPointer<QMainWindow>> m_open;
};
