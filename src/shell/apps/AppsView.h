#pragma once

#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QWidget>

#include <functional>

class QLabel;
class RecommendationRow;
class Settings;
class SiblingApps;
class SiblingTile;
struct InstalledApp;

// The apps section: the maker's applications installed here, as tiles that
// open them, and beside them the ones not installed, each with a link to its
// web site, while the user wants them recommended.
class AppsView : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(const InstalledApp &)> open;
        std::function<void(const QUrl &)> visit;
    };

    AppsView(SiblingApps &siblings, Settings &settings, Actions actions, QWidget *parent = nullptr);

    QList<SiblingTile *> tiles() const;
    QList<RecommendationRow *> recommendations() const;
    // The recommendations with their heading and "Hide All"; nothing while hidden.
    QWidget *recommendationGroup() const { return m_group; }
    QPushButton *hideAllButton() const { return m_hideAll; }

private:
    void rebuild();
    QWidget *installedColumn();
    QWidget *recommendationColumn();

    SiblingApps &m_siblings;
    Settings &m_settings;
    Actions m_actions;
    QPointer<QWidget> m_content;
    QPointer<QWidget> m_group;
    QPointer<QPushButton> m_hideAll;
};
