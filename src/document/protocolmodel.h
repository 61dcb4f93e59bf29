#pragma once

#include "document/protocoldocument.h"

#include <QObject>
#include <QString>

// The protocol being edited: its document as the user has it now, the
// document last read from or written to its file, and that file. The form
// shows the document and reports its edits here; the print, the exports,
// the recovery copy and the save take the document from here.
//
// The protocol is changed while the two documents differ as protocols (the
// reference lists their records carry aside), or while it is marked unsaved:
// a protocol taken from a recovery copy, or one not read or shown whole.
class CProtocolModel : public QObject {
    Q_OBJECT
public:
    explicit CProtocolModel(QObject* pParent = nullptr);

    const ProtocolDocument& document() const { return current; }
    const ProtocolDocument& savedDocument() const { return saved; }
    // The file the protocol was read from or written to; empty for a new
    // protocol, or one not read whole, which is never written over in place.
    const QString& fileName() const { return sFile; }
    bool isChanged() const;

    // Another protocol: document, read from sFile (empty for a new one).
    void reset(const ProtocolDocument& document, const QString& sFile);
    // The user's edits: the whole document, or one record of it.
    void setDocument(const ProtocolDocument& document);
    void setRecord(qsizetype iIndex, const SectionRecord& record);
    // The document now is what sFile holds.
    void markSaved(const QString& sFile);
    // The protocol counts as changed until it is saved; sFile (empty for
    // none) is where a save goes.
    void markUnsaved(const QString& sFile);

signals:
    // The document changed: an edit, or another protocol.
    void edited();
    // isChanged() became true or false.
    void modificationChanged(bool bChanged);
    // Another protocol took the model's place.
    void documentReset();

private:
    // Tells whoever follows the changed state when it flipped.
    void announce();

    ProtocolDocument current;
    ProtocolDocument saved;
    QString sFile;
    bool bUnsaved = false;
    bool bShownChanged = false;
};
