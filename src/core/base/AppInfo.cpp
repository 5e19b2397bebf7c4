#include "AppInfo.h"

AppInfo AppInfo::compiledIn()
{
    AppInfo info;
    info.appId = QStringLiteral(TARNWICK_APP_ID);
    info.version = QStringLiteral(TARNWICK_VERSION);
    info.feedUrl = QStringLiteral(TARNWICK_FEED_URL);
    info.offersWhiteNoiseSetting = TARNWICK_OFFERS_WHITE_NOISE;
    info.countsFirstCheck = TARNWICK_COUNTS_FIRST_CHECK;
    return info;
}
