#include "base/savefile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

bool commitSaveFile(QSaveFile& file) {
    // commit() does not report a failure of the final flush, so flush first
    if (!file.flush()) {
        file.cancelWriting(); // the temporary file is discarded
        return false;
    }
    return file.commit();
}

bool saveFileBytes(const QString& sPath, const QByteArray& bytes, QString* pError) {
    QSaveFile file(sPath);
    bool bWritten = file.open(QIODevice::WriteOnly);
    if (bWritten && file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        bWritten = false;
    }
    bWritten = bWritten && commitSaveFile(file);
    if (!bWritten && pError)
        *pError = writeFailure(file);
    return bWritten;
}

namespace {
// Why a file begun was not written, in the user's words: the system's own
// text is in the language of the system's messages, often English.
QString failureReason(const QFileDevice& file) {
    switch (file.error()) {
    case QFileDevice::NoError: // the writer gave up, the file did not
    case QFileDevice::WriteError:
    case QFileDevice::ResizeError:
        return QStringLiteral("ошибка записи, возможно, на диске нет места");
    case QFileDevice::RenameError:
    case QFileDevice::CopyError:
        return QStringLiteral("прежний файл не удалось заменить: он защищен от изменения "
                              "или открыт другой программой");
    case QFileDevice::PermissionsError:
        return QStringLiteral("нет прав на запись");
    default:
        return file.errorString();
    }
}
} // namespace

QString writeFailure(const QFileDevice& file) {
    const QFileInfo info(file.fileName());
    // a save replaces the old file only when that one could be written
    if (info.exists() && !info.isWritable())
        return QStringLiteral("Файл «%1» не записан: он защищен от записи")
            .arg(QDir::toNativeSeparators(info.absoluteFilePath()));
    // a save begins with a new file beside the old one
    if (file.error() == QFileDevice::OpenError)
        return QStringLiteral("Папка «%1» недоступна для записи")
            .arg(QDir::toNativeSeparators(info.absolutePath()));
    return QStringLiteral("Файл «%1» не записан: %2")
        .arg(QDir::toNativeSeparators(info.absoluteFilePath()), failureReason(file));
}
