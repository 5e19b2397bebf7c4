#include "Halo.h"

#include "HaloView.h"
#include "Notch.h"
#include "Overlay.h"

Halo::Halo(QProcessEnvironment env, QObject *parent)
    : QObject(parent)
    , m_env(std::move(env))
{
    m_bannerTimer.setSingleShot(true);
    m_bannerTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_bannerTimer, &QTimer::timeout, this, &Halo::endBanner);
}

Halo::~Halo()
{
    m_overlay.reset();
    delete m_view.data();
}

void Halo::announce(Banner banner)
{
    m_bannerTimer.start(int(banner.staySeconds() * 1000));
    m_banner = std::move(banner);
    render(true);
}

void Halo::replaceBanner(Banner banner)
{
    if (!m_banner)
        return;
    m_banner = std::move(banner);
}

void Halo::endBanner()
{
    m_bannerTimer.stop();
    if (!m_banner)
        return;
    m_banner.reset();
    render(true);
}

bool Halo::needed() const
{
    return !m_suppressed && (m_camera || m_mic || m_banner);
}

bool Halo::isVisible() const
{
    const HaloView *view = m_view;
    return view && view->isVisible();
}

void Halo::render(bool animated)
{
    if (needed()) {
        const std::optional<Notch> notch = Notch::current(m_env);
        if (!notch)
            return;
        if (!m_view)
            make(*notch);
        HaloView *view = m_view;
        if (!view || !m_overlay)
            return;
        view->apply(*notch, m_camera, m_mic, m_banner ? &*m_banner : nullptr, animated);
        // Only the card takes clicks, and only while a banner shows.
        m_overlay->setInputRegion(m_banner ? QRegion(view->shapeRect().toAlignedRect()) : QRegion());
        m_overlay->show();
        return;
    }
    if (!m_view)
        return;
    if (!animated) {
        drop();
        return;
    }
    m_view->fadeOut([this, fading = m_view] {
        // A change during the fade keeps the window.
        if (fading && fading == m_view && !needed())
            drop();
    });
}

void Halo::screensChanged()
{
    drop();
    render(false);
}

void Halo::make(const Notch &notch)
{
    m_view = new HaloView(m_glyphs);
    m_view->setGeometry(HaloView::frameFor(notch));
    m_overlay = Overlay::make(*m_view);
    m_overlay->setInputRegion({});
    m_view->setShapeMasked(m_overlay->lacksCompositor());
    connect(m_view, &HaloView::clicked, this, &Halo::clicked);
}

void Halo::drop()
{
    if (!m_view)
        return;
    m_overlay.reset();
    m_view->hide();
    m_view->deleteLater();
    m_view = nullptr;
}
