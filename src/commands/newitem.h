#pragma once

#include <QString>
#include <QWidget>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The form in which the user types the number, name and text of a new
// numbered item of the protocol. A top-level window that blocks the rest of
// the application while it is open; it checks the input and announces it
// with addNewItem, and its owner disposes of it.
class CNewItem : public QWidget {
    Q_OBJECT
public:
    explicit CNewItem(QWidget* pParent = nullptr);

    // The highest number offered; n <= 0 leaves it as it is.
    void setMaximum(int n);

signals:
    void addNewItem(int iNum, const QString& sName, const QString& sValue);

public slots:
    virtual void slot_newItem_clicked();

protected:
    // Enter in any field adds the item, as the button does.
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    QGridLayout* gridLayout = nullptr;
    QLabel* lbl_number = nullptr;
    QLabel* lbl_name = nullptr;
    QLabel* lbl_value = nullptr;
    QSpinBox* spb_number = nullptr;
    QLineEdit* edt_name = nullptr;
    QLineEdit* edt_value = nullptr;
    QPushButton* btn_addItem = nullptr;
};
