#include "app/eventloop.h"

#include <QByteArray>
#include <QtGlobal>

void chooseQtEventLoop() {
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", QByteArrayLiteral("1"));
}
