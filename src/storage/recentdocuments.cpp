#include "storage/recentdocuments.h"

#include "base/settings.h"

#include <QFileInfo>

namespace {
const QString g_sKey = QStringLiteral("recent/documents");
} // namespace

QStringList CRecentDocuments::list() {
    return openSettings()->value(g_sKey).toStringList().mid(0, iMaxDocuments);
}

QStringList CRecentDocuments::add(const QString& sPath) {
    const QString sAbsolute = QFileInfo(sPath).absoluteFilePath();
    QStringList lst = list();
    lst.removeAll(sAbsolute);
    lst.prepend(sAbsolute);
    return store(lst.mid(0, iMaxDocuments));
}

QStringList CRecentDocuments::remove(const QString& sPath) {
    QStringList lst = list();
    lst.removeAll(QFileInfo(sPath).absoluteFilePath());
    return store(lst);
}

QStringList CRecentDocuments::store(const QStringList& lst) {
    openSettings()->setValue(g_sKey, lst);
    return lst;
}
