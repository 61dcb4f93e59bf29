#include "app/eventloop.h"

#include <QList>
#include <QtGlobal>

namespace {

// The desktops whose Qt platform theme is GTK's.
const QList<QByteArray> g_lstGtkDesktops = {"gnome",    "xfce",       "mate",
                                            "cinnamon", "x-cinnamon", "unity"};

} // namespace

bool qtEventLoopFits(const QByteArray& platformTheme, const QByteArray& currentDesktop) {
    if (platformTheme.toLower().contains("gtk"))
        return false;
    if (!platformTheme.isEmpty())
        return true; // a theme chosen by the user, and not GTK's
    for (const QByteArray& desktop : currentDesktop.toLower().split(':'))
        if (g_lstGtkDesktops.contains(desktop.trimmed()))
            return false;
    return true;
}

void chooseQtEventLoop() {
    if (qEnvironmentVariableIsSet("QT_NO_GLIB"))
        return;
    if (qtEventLoopFits(qgetenv("QT_QPA_PLATFORMTHEME"), qgetenv("XDG_CURRENT_DESKTOP")))
        qputenv("QT_NO_GLIB", QByteArrayLiteral("1"));
}
