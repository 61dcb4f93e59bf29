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
