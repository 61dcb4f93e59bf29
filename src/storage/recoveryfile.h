#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>

// The recovery document of one running instance: a copy of the unsaved
// protocol that only its user may read (0600), kept in the user's data
// location and guarded by a lock file, so that after a crash the next start
// can tell it from the copy of an instance still running. A clean end
// removes it.
class CRecoveryFile {
public:
    // Takes a new recovery place in sDir for this instance.
    explicit CRecoveryFile(const QString& sDir);
    ~CRecoveryFile();
    CRecoveryFile(const CRecoveryFile&) = delete;
    CRecoveryFile& operator=(const CRecoveryFile&) = delete;

    QString path() const { return sPath; }
    // Replaces the copy with document, whole or not at all, and notes the
    // file it was opened from or saved to (sSource, empty for none); *pError
    // says why it was not written.
    bool write(const QByteArray& document, const QString& sSource, QString* pError = nullptr);
    // Removes the copy: nothing is unsaved any more.
    void remove();

    // The copies in sDir left by instances that are no longer running,
    // newest first.
    static QStringList orphans(const QString& sDir);
    // Removes the locks and notes in sDir of instances no longer running
    // that left no copy.
    static void removeLeftovers(const QString& sDir);
    // Removes a copy left by an instance no longer running, with its lock.
    static void discard(const QString& sPath);
    // Keeps a copy that could not be read under a name no start offers
    // again; the name it has now.
    static QString keep(const QString& sPath);
    // The document the copy at sPath was made of; empty for a new one.
    static QString sourceOf(const QString& sPath);

private:
    QString sPath;
    std::unique_ptr<QLockFile> pLock;
    bool bHeld = false;
};
