// A separate client with one plain window: prints "ready" once shown and
// "pressed X Y" (screen coordinates) for every button press, so a test sees
// which clicks reached the window below an overlay.
#include <QApplication>
#include <QMouseEvent>
#include <QTextStream>
#include <QWidget>

namespace {

class Recorder : public QWidget {
protected:
    void showEvent(QShowEvent *) override { QTextStream(stdout) << "ready" << Qt::endl; }
    void mousePressEvent(QMouseEvent *event) override
    {
        const QPoint at = event->globalPosition().toPoint();
        QTextStream(stdout) << "pressed " << at.x() << ' ' << at.y() << Qt::endl;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Recorder recorder;
    recorder.resize(800, 600);
    recorder.show();
    return QApplication::exec();
}
