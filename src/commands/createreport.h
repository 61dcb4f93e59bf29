#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class CNewItem;
class QKeySequence;
class QToolButton;

// The strip of icon buttons at the top of the form: open, preview, print,
// save, add an item and About. The first four and About only announce the
// command; "add an item" opens the new-item form and passes its answer on
// with addStandardItem.
//
// The parent given to the constructor is the composer. When it implements
// CLastNumberSource (commands/lastnumbersource.h), the form offers numbers up
// to its last section number + 1; without one it offers up to 99.
class CCreateReport : public QWidget {
    Q_OBJECT
public:
    explicit CCreateReport(QWidget* pParent = nullptr);
    ~CCreateReport() override;

signals:
    void openReport();
    void previewReport();
    void saveReport();
    void printReport();
    void showInfo();
    void addStandardItem(int iNum, const QString& sName, const QString& sValue);

public slots:
    virtual void slot_addItem_clicked();
    virtual void slot_newItem_added(int iNum, const QString& sName, const QString& sValue);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    // A button with its icon and a shortcut that works anywhere in the
    // window; the tooltip names the shortcut.
    QToolButton* createButton(const QString& sName, int iX, const QString& sIcon,
                              const QString& sToolTip, const QKeySequence& shortcut);

    QToolButton* btn_open = nullptr;
    QToolButton* btn_preview = nullptr;
    QToolButton* btn_print = nullptr;
    QToolButton* btn_save = nullptr;
    QToolButton* btn_about = nullptr;
    QToolButton* btn_addItem = nullptr;

    QPointer<QWidget> pComposer;
    // The open new-item form; it has no parent, the bar disposes of it.
    QPointer<CNewItem> pNewItem;
};
