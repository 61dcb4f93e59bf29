#pragma once

#include <QDialog>

class QLineEdit;

// "Настройки": the folder of the reference files ("Папка справочников"),
// which the laboratory's workstations may share; empty for the program's
// own choice. A folder that cannot be read and written is refused.
class CSettingsDialog : public QDialog {
    Q_OBJECT
public:
    CSettingsDialog(const QString& sFolder, QWidget* pParent = nullptr);

    QString folder() const;

    // Whether the program can read and write files in sDir.
    static bool isUsableFolder(const QString& sDir);

public slots:
    void accept() override;

private slots:
    void slot_btn_browse_clicked();

private:
    QLineEdit* edt_folder = nullptr;
};
