#include "AppsSection.h"

#include "AppsView.h"
#include "HubSections.h"
#include "InstalledApps.h"
#include "Log.h"
#include "RunningApps.h"
#include "SiblingApps.h"
#include "Text.h"

#include <QDesktopServices>

void AppsSection::addTo(HubSections &sections) const
{
    QObject::connect(&running, &RunningApps::listed, &siblings,
                     [siblings = &siblings](const QList<AppEntry> &apps) {
                         QStringList ids;
                         for (const AppEntry &app : apps)
                             ids.append(app.appId);
                         siblings->setRunning(ids);
                     });
    sections.add(HubTab::Apps, [section = *this] {
        section.siblings.refresh();
        section.running.refresh(false);
        AppsView::Actions actions{[section](const InstalledApp &app) {
                                      if (!section.installed.launch(app)) {
                                          if (section.note)
                                              section.note(Text::tr("%1 couldn’t be opened.").arg(app.name));
                                      } else if (section.closePanel) {
                                          section.closePanel();
                                      }
                                  },
                                  [](const QUrl &site) {
                                      if (!QDesktopServices::openUrl(site))
                                          qCWarning(lcApps).noquote()
                                              << "no browser opened" << site.toString();
                                  }};
        return new AppsView(section.siblings, section.settings, std::move(actions));
    });
}
