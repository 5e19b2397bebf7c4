#include "HubView.h"

#include "HaloColor.h"
#include "HubSectionButton.h"
#include "HubSections.h"
#include "HubState.h"
#include "HubStyle.h"
#include "SensorModel.h"
#include "Symbols.h"
#include "Text.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr double topRadius = 18;
constexpr double bottomRadius = 22;

} // namespace

HubView::HubView(SensorModel &sensors, HubState &state, const HubSections &sections, int topInset,
                 bool flatTop, QWidget *parent)
    : QWidget(parent)
    , m_sensors(sensors)
    , m_state(state)
    , m_sections(sections)
    , m_flatTop(flatTop)
    , m_doors(new QHBoxLayout)
    , m_note(new QLabel(this))
    , m_body(new QVBoxLayout)
{
    setFixedSize(width, topInset + bodyHeight);
    setAttribute(Qt::WA_TranslucentBackground);

    auto *row = new QHBoxLayout;
    row->setSpacing(4);
    row->setContentsMargins(0, 0, 0, 0);
    auto *group = new QButtonGroup(this);
    row->addStretch(1);
    for (HubTab tab : HubTabs::all()) {
        auto *button = new HubSectionButton(tab, this);
        group->addButton(button);
        m_buttons.append(button);
        row->addWidget(button);
        connect(button, &QAbstractButton::clicked, this, [this, tab] { m_state.setTab(tab); });
    }
    m_doors->setSpacing(4);
    row->addLayout(m_doors);
    row->addStretch(1);

    QFont noteFont = font();
    noteFont.setPixelSize(12);
    m_note->setFont(noteFont);
    m_note->setAlignment(Qt::AlignCenter);
    m_note->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 80%);"));
    m_note->setAccessibleName(QStringLiteral("note"));

    m_body->setContentsMargins(0, 0, 0, 0);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(18, topInset + 8, 18, 16);
    column->setSpacing(6);
    column->addLayout(row);
    column->addWidget(m_note);
    column->addLayout(m_body, 1);

    connect(&m_state, &HubState::tabChanged, this, &HubView::showSection);
    connect(&m_state, &HubState::noteChanged, this, &HubView::showNote);
    connect(&m_sensors, &SensorModel::changed, this, &HubView::showSensors);
    connect(&m_state, &HubState::doorsChanged, this, &HubView::showDoors);
    showSection(m_state.tab());
    showNote();
    showSensors();
    showDoors();
    refreshBadges();
}

QPainterPath HubView::outline(QSizeF size, bool flatTop)
{
    const double top = flatTop ? 0 : topRadius;
    const double w = size.width();
    const double h = size.height();
    QPainterPath path;
    path.moveTo(top, 0);
    path.lineTo(w - top, 0);
    path.quadTo(w, 0, w, top);
    path.lineTo(w, h - bottomRadius);
    path.quadTo(w, h, w - bottomRadius, h);
    path.lineTo(bottomRadius, h);
    path.quadTo(0, h, 0, h - bottomRadius);
    path.lineTo(0, top);
    path.quadTo(0, 0, top, 0);
    path.closeSubpath();
    return path;
}

HubSectionButton *HubView::button(HubTab tab) const
{
    return m_buttons.value(int(tab));
}

void HubView::refreshBadges()
{
    for (HubSectionButton *button : std::as_const(m_buttons))
        button->setBadge(m_sections.badge(button->tab()));
}

void HubView::showSection(HubTab tab)
{
    button(tab)->setChecked(true);
    delete m_section.data();
    QWidget *section = m_sections.make(tab);
    if (!section) {
        // Sections still to come show their title only.
        auto *title = new QLabel(HubTabs::title(tab));
        QFont big = font();
        big.setPixelSize(15);
        big.setWeight(QFont::DemiBold);
        title->setFont(big);
        title->setAlignment(Qt::AlignCenter);
        title->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 55%);"));
        section = title;
    }
    section->setParent(this);
    m_body->addWidget(section);
    section->show();
    m_section = section;
}

void HubView::showNote()
{
    const std::optional<QString> &note = m_state.note();
    m_note->setText(note.value_or(QString()));
    m_note->setVisible(note.has_value());
}

void HubView::showSensors()
{
    const SensorState &state = m_sensors.state();
    std::optional<QColor> dot;
    if (state.cameraOn)
        dot = HubStyle::color(HaloColor::camera);
    else if (state.micOn)
        dot = HubStyle::color(HaloColor::mic);
    button(HubTab::Privacy)->setDot(dot);
}

void HubView::showDoors()
{
    qDeleteAll(m_doorButtons);
    m_doorButtons.clear();
    for (const HubDoor &door : m_state.doors()) {
        auto *button = new QToolButton(this);
        const QIcon plain = Symbols::icon(QStringLiteral("app"));
        button->setIcon(door.symbol == QLatin1String("app") ? plain : QIcon::fromTheme(door.symbol, plain));
        button->setIconSize(QSize(18, 18));
        button->setText(door.title);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setFont(HubStyle::font(font(), 11));
        button->setStyleSheet(
            QStringLiteral("QToolButton { color: rgba(255, 255, 255, 80%); background: "
                           "transparent; border: none; border-radius: 8px; padding: 4px 8px; }"
                           "QToolButton:hover { background: rgba(255, 255, 255, 24); }"));
        button->setToolTip(Text::tr("Opens %1 — it asks for your password and shows your files itself. "
                                    "Tarnwick never sees them.")
                               .arg(door.title));
        button->setCursor(Qt::PointingHandCursor);
        connect(button, &QToolButton::clicked, this, [this, door] { Q_EMIT doorClicked(door); });
        m_doors->addWidget(button);
        m_doorButtons.append(button);
    }
}

void HubView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = outline(size(), m_flatTop);
    painter.fillPath(shape, Qt::black);
    // A faint edge on the inside, so the panel reads against dark windows.
    const double line = 1;
    const QPainterPath edge =
        outline(QSizeF(size()) - QSizeF(line, line), m_flatTop).translated(line / 2, line / 2);
    painter.setPen(QPen(QColor(255, 255, 255, 20), line));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(edge);
    painter.end();
    Q_EMIT framePainted();
}
