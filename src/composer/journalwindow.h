#pragma once

#include "storage/journal.h"

#include <QAbstractTableModel>
#include <QWidget>

class CDateEditHeir;
class QLabel;
class QLineEdit;
class QTableView;

// The journal's rows that a filter lets through, newest first, fetched a
// page at a time as the view scrolls: a journal of many years opens at once.
// Above them the rows of this workstation's queue: waiting for the journal,
// or refused by it because another file holds the number.
class CJournalModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int iPageRows = 256;

    CJournalModel(CJournal& journal, QObject* pParent = nullptr);

    void setFilter(const SJournalFilter& filter);
    QString pathAt(int iRow) const;
    // False when the journal could not be read (a server out of reach).
    bool isReadable() const { return bReadable; }
    // Why it could not be read, for the user.
    QString unreadableText() const;
    // Every row of the journal the filter lets through, as the view shows them.
    QList<QStringList> allRows();
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

private:
    CJournal& journal;
    SJournalFilter filter;
    QList<SQueuedEntry> lstQueued;
    QList<SJournalEntry> lstRows;
    bool bExhausted = true;
    bool bReadable = true;
};

// "Журнал протоколов": the registered protocols with a filter and a date
// range; a double-click opens a document, "Экспорт в CSV" writes the rows
// shown for a spreadsheet.
class CJournalWindow : public QWidget {
    Q_OBJECT
public:
    CJournalWindow(CJournal& journal, QWidget* pParent = nullptr);

    CJournalModel* model() const { return pModel; }
    // Reads the rows again: a save registered one.
    void refresh();
    // UTF-8 with a byte order mark, ";" between the fields, as spreadsheets
    // in Russian locales read them.
    // Why it was not written goes to pProblem.
    bool exportCsv(const QString& sPath, QString* pProblem = nullptr);
    // Where "Экспорт в CSV" offers to write: the folder the user works in.
    void setExportDir(const QString& sDir) { sExportDir = sDir; }

signals:
    void openRequested(const QString& sPath);

private slots:
    void slot_filterChanged();
    void slot_btn_export_clicked();

private:
    CJournalModel* pModel;
    QLineEdit* edt_filter;
    CDateEditHeir* dedt_from;
    CDateEditHeir* dedt_to;
    QTableView* tab_journal;
    QLabel* lbl_state;
    QString sExportDir;
};
