#include "Notch.h"

#include "Log.h"

#include <QGuiApplication>

namespace {

// The height of whatever panel reserves the top of the display.
double menuBarHeight(const QScreen &screen)
{
    return std::max(double(screen.availableGeometry().top() - screen.geometry().top()), 24.0);
}

} // namespace

quint32 Notch::displayNumber() const
{
    return quint32(std::max(QGuiApplication::screens().indexOf(screen.data()), qsizetype(0)));
}

Cutout Notch::measure(const QScreen &screen)
{
    return Cutout::infer(screen.geometry(), 0, QRectF(), QRectF(), menuBarHeight(screen));
}

std::optional<Notch> Notch::current(const QProcessEnvironment &env)
{
    QScreen *primary = QGuiApplication::primaryScreen();
    const QString fake = env.value(QStringLiteral("TARNWICK_FAKE_CUTOUT"));
    if (primary && env.contains(QStringLiteral("TARNWICK_FAKE_CUTOUT"))) {
        if (const auto cutout = Cutout::fake(fake, primary->geometry(), menuBarHeight(*primary)))
            return Notch{primary, *cutout};
        qCWarning(lcHalo).noquote().nospace()
            << "TARNWICK_FAKE_CUTOUT=\"" << fake
            << "\" is no housing that fits the primary display; using the real one";
    }
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        const Cutout measured = measure(*screen);
        if (measured.kind() != Cutout::Kind::None)
            return Notch{screen, measured};
    }
    QScreen *chosen = primary ? primary : (screens.isEmpty() ? nullptr : screens.first());
    if (!chosen)
        return std::nullopt;
    return Notch{chosen, measure(*chosen)};
}
