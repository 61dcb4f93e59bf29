#pragma once

#include "storage/journal.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;
class QSpinBox;

// "Настройки": the folder of the reference files ("Папка справочников"),
// which the laboratory's workstations may share; empty for the program's
// own choice. A folder that cannot be read and written is refused. And where
// the protocol journal lives: on this computer, or on the laboratory's
// PostgreSQL server (the password is not asked: libpq reads ~/.pgpass).
class CSettingsDialog : public QDialog {
    Q_OBJECT
public:
    CSettingsDialog(const QString& sFolder, const SJournalPlace& place, QWidget* pParent = nullptr);

    QString folder() const;
    SJournalPlace journalPlace() const;

    // Whether the program can read and write files in sDir.
    static bool isUsableFolder(const QString& sDir);

public slots:
    void accept() override;

private slots:
    void slot_btn_browse_clicked();

private:
    QLineEdit* edt_folder = nullptr;
    QRadioButton* rbtn_local = nullptr;
    QRadioButton* rbtn_server = nullptr;
    QLineEdit* edt_host = nullptr;
    QSpinBox* spn_port = nullptr;
    QLineEdit* edt_database = nullptr;
    QLineEdit* edt_user = nullptr;
};
