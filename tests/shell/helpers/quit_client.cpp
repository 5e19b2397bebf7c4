// A small application for the quitter's tests:
//   quit_client CLASS WINDOWS [polite|refuse|hide] [child]
// shows WINDOWS windows of window class CLASS; "refuse" ignores every close,
// "hide" hides the window instead of closing (it keeps running without one);
// "child" starts a child process that runs until it is killed.
#include <QApplication>
#include <QCloseEvent>
#include <QProcess>
#include <QWidget>

#include <cstdio>

class Window : public QWidget {
public:
    explicit Window(const QString &behaviour)
        : m_behaviour(behaviour)
    {}

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (m_behaviour == QLatin1String("refuse")) {
            event->ignore();
        } else if (m_behaviour == QLatin1String("hide")) {
            event->ignore();
            hide();
        } else {
            event->accept();
        }
    }

private:
    QString m_behaviour;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    QApplication::setApplicationName(args.at(1));
    const QString behaviour = args.value(3, QStringLiteral("polite"));
    QApplication::setQuitOnLastWindowClosed(behaviour == QLatin1String("polite"));
    QList<Window *> windows;
    for (int i = 0; i < args.at(2).toInt(); ++i) {
        auto *window = new Window(behaviour);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QStringLiteral("%1 %2").arg(args.at(1)).arg(i + 1));
        window->resize(200, 120);
        window->show();
    }
    QProcess child;
    if (args.contains(QLatin1String("child")))
        child.start(QStringLiteral("sleep"), {QStringLiteral("3600")});
    std::printf("%lld\n", child.processId());
    std::fflush(stdout);
    return app.exec();
}
