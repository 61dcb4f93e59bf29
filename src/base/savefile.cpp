#include "base/savefile.h"

#include <QSaveFile>

bool commitSaveFile(QSaveFile& file) {
    // commit() does not report a failure of the final flush, so flush first
    if (!file.flush()) {
        file.cancelWriting(); // the temporary file is discarded
        return false;
    }
    return file.commit();
}

bool saveFileBytes(const QString& sPath, const QByteArray& bytes) {
    QSaveFile file(sPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return commitSaveFile(file);
}
