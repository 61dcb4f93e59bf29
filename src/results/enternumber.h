#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;

// Asks how many empty rows to insert at a given position of a results table.
class CEnterNumber : public QDialog {
    Q_OBJECT
public:
    explicit CEnterNumber(int position, QWidget* pParent = nullptr,
                          Qt::WindowFlags eFlags = Qt::WindowFlags());

    int position() const { return iPosition; }

signals:
    // The insert position given at construction, then the number of rows.
    void numberEntered(int iRow, int iNumber);

public slots:
    virtual void slot_numberEntered();

private:
    int iPosition;
    QLabel* lbl_description;
    QSpinBox* spb_number;
    QPushButton* btn_ok;
    QPushButton* btn_escape;
};
