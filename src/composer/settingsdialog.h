#pragma once

#include "storage/journal.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;

// "Настройки": the folder of the reference files ("Папка справочников"),
// which the laboratory's workstations may share; empty for the program's
// own choice. A folder that cannot be read and written is refused. And where
// the protocol journal lives: on this computer, or on the laboratory's
// PostgreSQL server (the password is not asked: libpq reads ~/.pgpass).
//
// And the laboratory's statement printed at the end of every protocol,
// which may be left empty; "По умолчанию" gives the text every laboratory
// starts with.
//
// The dialog says where the journal is with the settings shown; OK on a
// server that cannot be reached says why, and the user may keep the setting
// all the same (the rows then wait in the queue).
class CSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // sDefaultFolder: the folder of the reference files when none is chosen.
    CSettingsDialog(const QString& sFolder, const SJournalPlace& place,
                    const QString& sDefaultFolder, QWidget* pParent = nullptr);

    QString folder() const;
    // The archive of issued protocols' PDFs; empty: beside each protocol.
    void setArchiveFolder(const QString& sDir);
    QString archiveFolder() const;
    SJournalPlace journalPlace() const;
    // The SQLite journal of the folder shown.
    QString journalFile() const;
    // The statement as the folder holds it, and as the user left it.
    void setStatement(const QString& sText);
    QString statement() const;
    // Whether the user changed the statement: only then is it written, so
    // that another folder chosen keeps its own.
    bool isStatementChanged() const;

    // Whether the program can read and write files in sDir.
    static bool isUsableFolder(const QString& sDir);

public slots:
    void accept() override;

private slots:
    void slot_btn_browse_clicked();
    // The line that says where the journal is follows what is shown.
    void slot_journalPlaceChanged();

private:
    // False when the server cannot be reached and the user does not keep it.
    bool mayKeepServer();

    QString sDefaultFolder;
    QString sShownStatement;
    QPlainTextEdit* edt_statement = nullptr;
    QLabel* lbl_journalPlace = nullptr;
    QLineEdit* edt_folder = nullptr;
    QLineEdit* edt_archive = nullptr;
    QRadioButton* rbtn_local = nullptr;
    QRadioButton* rbtn_server = nullptr;
    QLineEdit* edt_host = nullptr;
    QSpinBox* spn_port = nullptr;
    QLineEdit* edt_database = nullptr;
    QLineEdit* edt_user = nullptr;
};
