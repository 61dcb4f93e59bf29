#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

class CNewItem;
class QKeySequence;
class QAction;
class QIcon;
class CStatusLabel;
class QMenu;
class QToolButton;

// The strip of icon buttons at the top of the form: open (with the recent
// documents under its arrow), preview, print, save (with "Сохранить как…"
// under its arrow), new protocol, save as PDF, the protocol journal, add an
// item, settings and About, and a status line. All
// but "add an item" only announce the command; "add an item" opens the
// new-item form and passes its answer on with addStandardItem.
//
// The parent given to the constructor is the composer. When it implements
// CLastNumberSource (commands/lastnumbersource.h), the form offers numbers up
// to its last section number + 1; without one it offers up to 99.
class CCreateReport : public QWidget {
    Q_OBJECT
public:
    explicit CCreateReport(QWidget* pParent = nullptr);
    ~CCreateReport() override;

    // The documents offered under the open button, newest first.
    void setRecentDocuments(const QStringList& lstPaths);
    // Who has something to say on the status line, the most pressing first:
    // each says it in its own place, so that one never hides another.
    enum class EStatus { JournalRows, ListChanges, Recovery, JournalAnswer, Number, Spelling };
    static constexpr int iStatusCount = int(EStatus::Spelling) + 1;
    // A line beside the buttons: what the user should know without being
    // asked (the journal out of reach); empty clears what eSource said.
    void showStatus(EStatus eSource, const QString& sText);
    // What eSource says on the status line now; empty when nothing.
    const QString& status(EStatus eSource) const { return aStatus[size_t(eSource)]; }

signals:
    void openReport();
    void openRecentReport(const QString& sPath);
    void previewReport();
    void saveReport();
    void saveReportAs();
    void printReport();
    void newReport();
    void newFromCurrent();
    void exportOdt();
    void exportPdf();
    void showSettings();
    void showJournal();
    void issueReport();
    void newRevision();
    void showInfo();
    void addStandardItem(int iNum, const QString& sName, const QString& sValue);

public slots:
    virtual void slot_addItem_clicked();
    virtual void slot_newItem_added(int iNum, const QString& sName, const QString& sValue);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;
    // The bar's keys win over an editor's own use of them (Ctrl+E is "end of
    // line" in a line edit on X11).
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    // A button with its icon and a shortcut that works anywhere in the
    // window; the tooltip names the shortcut.
    QToolButton* createButton(const QString& sName, int iX, const QIcon& icon,
                              const QString& sToolTip, const QKeySequence& shortcut);
    // A command under a button's arrow, with a shortcut that works anywhere.
    QAction* addMenuCommand(QToolButton* pButton, const QString& sText,
                            const QKeySequence& shortcut);

    QToolButton* btn_open = nullptr;
    QToolButton* btn_preview = nullptr;
    QToolButton* btn_print = nullptr;
    QToolButton* btn_save = nullptr;
    QToolButton* btn_about = nullptr;
    QToolButton* btn_addItem = nullptr;
    QToolButton* btn_new = nullptr;
    QToolButton* btn_newFromCurrent = nullptr;
    QToolButton* btn_pdf = nullptr;
    QToolButton* btn_settings = nullptr;
    QToolButton* btn_journal = nullptr;
    QToolButton* btn_issue = nullptr;
    CStatusLabel* lbl_status = nullptr;
    QMenu* pRecentMenu = nullptr;
    QList<QKeySequence> lstCommandKeys;

    std::array<QString, iStatusCount> aStatus;

    QPointer<QWidget> pComposer;
    // The open new-item form; it has no parent, the bar disposes of it.
    QPointer<CNewItem> pNewItem;
};
