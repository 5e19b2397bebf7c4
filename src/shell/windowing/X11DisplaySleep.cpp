#include "X11DisplaySleep.h"

#include "Log.h"

#include "X11Connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

namespace {

bool capable(Display *x)
{
    int event = 0;
    int error = 0;
    return x && DPMSQueryExtension(x, &event, &error) && DPMSCapable(x);
}

} // namespace

void X11DisplaySleep::probe()
{
    setMissing(capable(X11Connection::xlibDisplay()) ? Missing::Nothing : Missing::DisplayPower);
}

void X11DisplaySleep::run()
{
    Display *x = X11Connection::xlibDisplay();
    if (!capable(x)) {
        Q_EMIT finished(false);
        return;
    }
    CARD16 level = 0;
    BOOL enabled = False;
    // Forcing a level needs power saving enabled; it stays so, with the
    // server's own timeouts.
    if (DPMSInfo(x, &level, &enabled) && !enabled)
        DPMSEnable(x);
    const bool ok = DPMSForceLevel(x, DPMSModeOff);
    XFlush(x);
    qCInfo(lcTools) << "displays asked to sleep";
    Q_EMIT finished(ok);
}
