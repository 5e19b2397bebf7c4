#include "TutorialView.h"

#include "NotchSketch.h"
#include "Text.h"
#include "Tutorial.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

QLabel *wrapped(Qt::Alignment alignment = Qt::AlignHCenter)
{
    auto *label = new QLabel;
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment);
    return label;
}

} // namespace

TutorialView::TutorialView(Tutorial &tutorial, bool hasCutout, QWidget *parent)
    : QWidget(parent)
    , m_tutorial(tutorial)
    , m_hasCutout(hasCutout)
    , m_position(new QLabel)
    , m_skip(new QPushButton(Text::tr("Skip")))
    , m_sketch(new NotchSketch)
    , m_title(wrapped())
    , m_text(wrapped())
    , m_smallPrint(wrapped())
    , m_back(new QPushButton(Text::tr("Back")))
    , m_next(new QPushButton(Text::tr("Next")))
    , m_primary(new QPushButton)
{
    m_position->setForegroundRole(QPalette::PlaceholderText);
    m_skip->setObjectName(QStringLiteral("tutorial.skip"));
    m_skip->setFlat(true);
    m_primary->setObjectName(QStringLiteral("tutorial.primary"));
    // Return presses it, as a dialog's default button.
    for (const int key : {Qt::Key_Return, Qt::Key_Enter})
        new QShortcut(QKeySequence(key), this, m_primary, &QPushButton::click,
                      Qt::WidgetWithChildrenShortcut);
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    QFont small = m_smallPrint->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    m_smallPrint->setFont(small);
    m_smallPrint->setForegroundRole(QPalette::PlaceholderText);

    auto *top = new QHBoxLayout;
    top->addWidget(m_position);
    top->addStretch(1);
    top->addWidget(m_skip);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_back);
    bottom->addStretch(1);
    bottom->addWidget(m_next);
    bottom->addWidget(m_primary);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 20);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(m_sketch, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addWidget(m_title);
    layout->addWidget(m_text);
    layout->addStretch(1);
    layout->addWidget(m_smallPrint);
    layout->addSpacing(8);
    layout->addLayout(bottom);

    connect(m_skip, &QPushButton::clicked, this, [this] {
        // Closing the window is what finishes the tutorial.
        window()->close();
    });
    connect(m_back, &QPushButton::clicked, &m_tutorial, &Tutorial::back);
    connect(m_next, &QPushButton::clicked, &m_tutorial, &Tutorial::next);
    connect(m_primary, &QPushButton::clicked, this, &TutorialView::primaryClicked);
    connect(&m_tutorial, &Tutorial::changed, this, &TutorialView::refresh);
    refresh();
}

void TutorialView::primaryClicked()
{
    if (m_tutorial.step() == Tutorial::Step::Toggle || m_tutorial.shown())
        m_tutorial.next();
    else
        m_tutorial.show();
}

void TutorialView::refresh()
{
    using Step = Tutorial::Step;
    const Step step = m_tutorial.step();
    const bool shown = m_tutorial.shown();
    m_position->setText(Text::tr("Step %1 of %2").arg(int(step) + 1).arg(Tutorial::stepCount));
    m_skip->setVisible(step != Step::Toggle);
    m_back->setVisible(step != Step::Camera);
    m_next->setVisible(step != Step::Toggle && !shown);
    m_sketch->setStep(step);

    const QString demo = shown ? Text::tr("This was an example — nothing was really turned on.")
                               : Text::tr("A demo: nothing is turned on, nothing is recorded.");
    switch (step) {
    case Step::Camera:
        m_title->setText(Text::tr("Your notch now tells you who’s watching"));
        m_text->setText(
            shown ? Text::tr("Look at the top of your screen: that’s how it looks when an app turns on "
                             "the camera. The green halo stays while it’s on.")
                  : Text::tr("When any app turns on the camera, a green halo lights up %1 and says "
                             "which app it is.")
                        .arg(m_hasCutout ? Text::tr("around the notch")
                                         : Text::tr("at the top centre of your screen")));
        m_smallPrint->setText(demo);
        m_primary->setText(shown ? Text::tr("Next") : Text::tr("Show Me"));
        break;
    case Step::Microphone:
        m_title->setText(Text::tr("Blue means the microphone"));
        m_text->setText(
            Text::tr("When an app listens through the microphone, the halo turns blue and shows a "
                     "microphone — so you always know, even when the app is hidden."));
        m_smallPrint->setText(demo);
        m_primary->setText(shown ? Text::tr("Next") : Text::tr("Show Me"));
        break;
    case Step::Hub:
        m_title->setText(Text::tr("Everything lives in the notch"));
        m_text->setText(
            shown ? Text::tr("That’s the Tarnwick panel: privacy, a mirror, a shelf for files, tools, "
                             "Quit All and more.")
            : m_hasCutout ? Text::tr("Hold the pointer on the notch for a moment, or click it.")
                          : Text::tr("Click the Tarnwick icon in the system tray."));
        m_smallPrint->setText(
            Text::tr("Drop files on the notch to keep them on the shelf — they stay where they are."));
        m_primary->setText(shown ? Text::tr("Next") : Text::tr("Open the Panel for Me"));
        break;
    case Step::Toggle:
        m_title->setText(Text::tr("One click turns them off"));
        m_text->setText(
            Text::tr("“Turn Camera & Microphone Off” takes the camera away from every app and "
                     "silences the microphone. In a call, others see no picture and hear silence. "
                     "Click again to undo."));
        m_smallPrint->setText(Text::tr("Find Tarnwick again with its icon in the system tray. Help › Show "
                                       "Tutorial brings this back."));
        m_primary->setText(Text::tr("Done"));
        break;
    }
}
