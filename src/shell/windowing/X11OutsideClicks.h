#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <optional>

// Tells of every left or right mouse press in another application's window,
// seen through XInput2 raw button events on the root window (they arrive
// whichever client the click goes to). Listens only while it exists.
class X11OutsideClicks : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11OutsideClicks(QObject *parent = nullptr);
    ~X11OutsideClicks() override;

    // False off X11 or without XInput2: no click will be reported.
    bool isListening() const { return m_opcode != 0; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    void clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void select(bool on);
    void decide();

    quint8 m_opcode = 0;
    // A raw press carries no window and no position: it is ours when one of
    // our windows gets a press with the same server time.
    std::optional<quint32> m_rawPress;
    quint32 m_ownPress = 0;
};
