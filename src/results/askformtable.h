#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

// The panel "Сформировать на основании <method> контроля": forms a results
// table from the table of another method of the protocol.
class CAskFormTable : public QWidget {
    Q_OBJECT
public:
    explicit CAskFormTable(QWidget* pParent = nullptr);

    void setMethods(const QStringList& list);

signals:
    void loadResTable(QString sMethod);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private slots:
    virtual void slot_fillTable_clicked();

private:
    QPushButton* btn_fill;
    QLabel* label_1;
    QComboBox* cmb_methods;
    QLabel* label_2;
};
