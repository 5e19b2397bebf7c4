// A separate X client that drags files: started with the files' paths, it
// shows a small window at (0, 500) and starts a drag of all of them as soon
// as a button is pressed in it. It prints "ready" once the window is on
// screen, and the drop's outcome ("copied" or "ignored") when the drag ends.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QTextStream>
#include <QUrl>
#include <QWidget>

namespace {

class Source : public QWidget {
public:
    explicit Source(QList<QUrl> urls)
        : m_urls(std::move(urls))
    {}

protected:
    void showEvent(QShowEvent *) override { QTextStream(stdout) << "ready" << Qt::endl; }
    void mousePressEvent(QMouseEvent *) override
    {
        auto *mime = new QMimeData;
        mime->setUrls(m_urls);
        // On the heap: the target asks for the data after exec() has returned.
        auto *drag = new QDrag(this);
        drag->setMimeData(mime);
        const Qt::DropAction result = drag->exec(Qt::CopyAction);
        QTextStream(stdout) << (result == Qt::CopyAction ? "copied" : "ignored") << Qt::endl;
    }

private:
    QList<QUrl> m_urls;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (const QString &path : QApplication::arguments().mid(1))
        urls.append(QUrl::fromLocalFile(path));
    Source source(urls);
    source.setWindowTitle(QStringLiteral("drag source"));
    source.setGeometry(0, 500, 200, 120);
    source.show();
    return QApplication::exec();
}
