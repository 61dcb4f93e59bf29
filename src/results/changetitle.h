#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// Asks for a new title of a results table column.
class CChangeTitle : public QDialog {
    Q_OBJECT
public:
    explicit CChangeTitle(const QString& title, QWidget* pParent = nullptr);

    QString title() const { return sTitle; }

signals:
    void titleChanged(QString str);

private slots:
    virtual void slot_btn_enter_clicked();

private:
    QString sTitle;
    QLineEdit* edt_title;
    QPushButton* btn_enter;
    QPushButton* btn_cancel;
};
