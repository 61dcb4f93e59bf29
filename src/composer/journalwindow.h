#pragma once

#include <atomic>
#include <memory>

#include "storage/journal.h"

#include <QAbstractTableModel>
#include <QWidget>

class CJournalService;
class CDateEditHeir;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

// The journal's rows that a filter lets through, newest first, fetched a
// page at a time as the view scrolls: a journal of many years opens at once.
// Above them the rows of this workstation's queue: waiting for the journal,
// or refused by it because another place holds the number. The journal's
// worker reads them; rows it gives after the window stopped waiting are
// taken when they come.
class CJournalModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int iPageRows = 256;

    CJournalModel(CJournalService& journal, QObject* pParent = nullptr);

    // The rows filter lets through. bWait: the window waits for them as
    // for any journal answer (when it opens); otherwise the rows shown stay
    // until the new ones come, for a key typed never waits for the journal.
    void setFilter(const SJournalFilter& filter, bool bWait = false);
    const SJournalFilter& currentFilter() const { return filter; }
    QString pathAt(int iRow) const;
    // False when the journal could not be read (a server out of reach), or
    // has not answered yet.
    bool isReadable() const { return sProblem.isEmpty(); }
    // Why it could not be read, for the user.
    QString unreadableText() const;
    // The rows of the queue shown, and how many of them were refused.
    int queuedCount() const { return int(lstQueued.size()); }
    int refusedCount() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int iRole = Qt::DisplayRole) const override;
    QVariant headerData(int iSection, Qt::Orientation eOrientation,
                        int iRole = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex& parent = QModelIndex()) override;

signals:
    // The journal answered, in time or later: what the window says of it follows.
    void answered();

private:
    // What one read of the worker gives.
    struct SPage {
        QList<SQueuedEntry> lstQueued;
        QList<SJournalRow> lstRows;
        QString sProblem;
    };
    void takePage(const SPage& page, bool bFirst);
    static QVariant journalRowData(const SJournalRow& row, int iColumn, int iRole);
    // Reads a page of rows from iOffset (with the queue for the first) and
    // takes it, now (bWait, within the window's time) or when it comes: a
    // page of an older filter is dropped, and not even read when its filter
    // is already gone.
    void askPage(int iOffset, bool bWait = true);

    CJournalService& journal;
    SJournalFilter filter;
    QList<SQueuedEntry> lstQueued;
    QList<SJournalRow> lstRows;
    bool bExhausted = true;
    bool bAsking = false;
    QString sProblem;
    int iGeneration = 0;
    // The generation the worker reads for: one it is behind is skipped.
    std::shared_ptr<std::atomic_int> pLatestGeneration = std::make_shared<std::atomic_int>(0);
};

// "Журнал протоколов": the registered protocols with a filter, a date range
// and a state (draft, issued, replaced; an amendment and the protocol it
// replaced name each other); a double-click opens a document, "Экспорт в
// CSV" writes the rows the filter lets through, the queue's among them, for
// a spreadsheet; "Проверить PDF…" tells whether a PDF is one that was issued.
class CJournalWindow : public QWidget {
    Q_OBJECT
public:
    CJournalWindow(CJournalService& journal, QWidget* pParent = nullptr);

    CJournalModel* model() const { return pModel; }
    // Reads the rows again: a save registered one.
    void refresh();
    // Writes the rows the filter lets through in the worker, UTF-8 with a
    // byte order mark, ";" between the fields, as spreadsheets in Russian
    // locales read them, with the state of each; exported() says when.
    void exportCsv(const QString& sPath);
    // The CSV of the journal's rows and the queue's, with their states.
    static QByteArray csvOf(const QList<SQueuedEntry>& lstQueued,
                            const QList<SJournalRow>& lstRows);
    // Looks the PDF at sPath up among the issued ones in the worker, and
    // shows what it found as "ndt-protocol --verify" says it; verified()
    // says when.
    void verifyPdf(const QString& sPath);
    // Where "Экспорт в CSV" offers to write: the folder the user works in.
    void setExportDir(const QString& sDir) { sExportDir = sDir; }

signals:
    void openRequested(const QString& sPath);
    // The CSV is written, or why not.
    void exported(const QString& sProblem);
    // The line said of a PDF checked ("118-26.pdf: протокол № …"), and
    // whether it was found among the issued ones.
    void verified(const QString& sLine, bool bIssued);

private slots:
    void slot_filterChanged();
    void slot_btn_export_clicked();
    void slot_btn_verifyPdf_clicked();
    void slot_showState();

private:
    // The filter, range and state the window's fields choose.
    SJournalFilter chosenFilter() const;
    CJournalService& journal;
    CJournalModel* pModel;
    QLineEdit* edt_filter;
    CDateEditHeir* dedt_from;
    CDateEditHeir* dedt_to;
    QComboBox* cmb_state;
    QTableView* tab_journal;
    QLabel* lbl_state;
    QString sExportDir;
};
