// A separate X client that takes drops: a small window at (300, 500) that
// prints "ready" once shown, "over" when a drag moved over it after its
// acceptance was answered, then, for each drop, the URIs it carried, one a
// line, and "dropped".
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTextStream>
#include <QWidget>

namespace {

class Target : public QWidget {
public:
    Target() { setAcceptDrops(true); }

protected:
    void showEvent(QShowEvent *) override { QTextStream(stdout) << "ready" << Qt::endl; }
    void dragEnterEvent(QDragEnterEvent *event) override { event->acceptProposedAction(); }
    void dragMoveEvent(QDragMoveEvent *event) override
    {
        // The first move may come with the enter, before its answer went out;
        // by the second, a button let go drops here.
        if (++m_moves == 2)
            QTextStream(stdout) << "over" << Qt::endl;
        event->acceptProposedAction();
    }
    void dropEvent(QDropEvent *event) override
    {
        QTextStream out(stdout);
        for (const QByteArray &line : event->mimeData()->data(QStringLiteral("text/uri-list")).split('\n')) {
            if (!line.trimmed().isEmpty())
                out << line.trimmed() << Qt::endl;
        }
        out << "dropped" << Qt::endl;
        event->acceptProposedAction();
        m_moves = 0;
    }

private:
    int m_moves = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Target target;
    target.setWindowTitle(QStringLiteral("drop target"));
    target.setGeometry(300, 500, 200, 120);
    target.show();
    return QApplication::exec();
}
