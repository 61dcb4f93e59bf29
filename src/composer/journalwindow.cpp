#include "composer/journalwindow.h"

#include "base/savefile.h"
#include "base/userdialogs.h"
#include "items/dateeditheir.h"
#include "storage/journal.h"
#include "storage/journalservice.h"

#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// The window's columns, and the CSV's.
const QStringList g_lstColumns = {
    QStringLiteral("Номер"),     QStringLiteral("Дата"),         QStringLiteral("Заказчик"),
    QStringLiteral("Объект"),    QStringLiteral("Методы"),       QStringLiteral("Документ"),
    QStringLiteral("Сохранен"),  QStringLiteral("Пользователь"), QStringLiteral("Компьютер"),
    QStringLiteral("Состояние"), QStringLiteral("Взамен"),       QStringLiteral("Заменен")};
// Room for what a column usually holds: a number, a date, names, a path.
constexpr int g_iColumnWidths[] = {90, 90, 200, 200, 150, 260, 130, 110, 110, 100, 150, 90};
// The states of the filter "Состояние", in the order of its items after "Все".
constexpr EProtocolState g_eStates[] = {EProtocolState::Draft, EProtocolState::Issued,
                                        EProtocolState::Replaced};
const QString g_sVerifyTitle = QStringLiteral("Проверить PDF");

QString stateName(EProtocolState eState) {
    switch (eState) {
    case EProtocolState::Draft:
        return QStringLiteral("черновик");
    case EProtocolState::Issued:
        return QStringLiteral("выдан");
    case EProtocolState::Replaced:
        return QStringLiteral("заменен");
    }
    return QString();
}

// The state of a row of the queue: it is in no journal yet.
QString queueState(const SQueuedEntry& queued) {
    return queued.isRefused() ? QStringLiteral("не внесен: номер уже зарегистрирован (%1)")
                                    .arg(queued.refusedFor.describe())
                              : QStringLiteral("ждет отправки в журнал");
}

// A field of a CSV line: quoted when it holds a separator, a quote or a line
// end. A spreadsheet takes a field starting with "=", "+", "-" or "@" for a
// formula: an apostrophe before it keeps it text.
QString csvField(QString s) {
    static const QString sFormulaStarts = QStringLiteral("=+-@");
    if (!s.isEmpty() && sFormulaStarts.contains(s.front()))
        s.prepend(QLatin1Char('\''));
    if (!s.contains(QLatin1Char(';')) && !s.contains(QLatin1Char('"')) &&
        !s.contains(QLatin1Char('\n')) && !s.contains(QLatin1Char('\r')))
        return s;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}
// The columns, in the order of their titles.
enum EColumn {
    eColNumber,
    eColDate,
    eColCustomer,
    eColObject,
    eColMethods,
    eColPath,
    eColSaved,
    eColUser,
    eColHost,
    eColState,
    eColReplaces,
    eColReplacedBy
};

// A field of a row as the window shows it and the CSV holds it; sState is
// the journal's state of the row, or the queue's.
QString shownField(const SJournalRow& row, const QString& sState, int iColumn) {
    const SJournalEntry& e = row.entry;
    switch (EColumn(iColumn)) {
    case eColNumber:
        return e.sNumber;
    case eColDate:
        return e.dtDate.toString(QStringLiteral("dd.MM.yyyy"));
    case eColCustomer:
        return e.sCustomer;
    case eColObject:
        return e.sObject;
    case eColMethods:
        return e.sMethods;
    case eColPath:
        return e.sPath;
    case eColSaved:
        return e.dtSaved.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    case eColUser:
        return e.sUser;
    case eColHost:
        return e.sHost;
    case eColState:
        return sState;
    case eColReplaces:
        return row.sReplaces.isEmpty()
                   ? QString()
                   : QStringLiteral("%1 от %2")
                         .arg(row.sReplaces, row.dtReplaces.toString(u"dd.MM.yyyy"));
    case eColReplacedBy:
        return row.sReplacedBy;
    }
    return QString();
}

QString shownField(const SJournalRow& row, int iColumn) {
    return shownField(row, stateName(row.eState), iColumn);
}

QString shownField(const SQueuedEntry& queued, int iColumn) {
    SJournalRow row;
    row.entry = queued.entry;
    return shownField(row, queueState(queued), iColumn);
}
} // namespace

CJournalModel::CJournalModel(CJournalService& journal, QObject* pParent)
    : QAbstractTableModel(pParent), journal(journal) {}

namespace {
// Whether a queued row passes the filter as a journal row would: a state
// asked for is one of the journal's, which no queued row has yet.
bool passes(const SJournalEntry& e, const SJournalFilter& filter) {
    if (filter.state)
        return false;
    const QString sSearched = CJournal::searchText(e.sNumber + QLatin1Char(' ') + e.sCustomer +
                                                   QLatin1Char(' ') + e.sObject);
    return sSearched.contains(CJournal::searchText(filter.sText)) &&
           (!filter.dtFrom.isValid() || e.dtDate >= filter.dtFrom) &&
           (!filter.dtTo.isValid() || e.dtDate <= filter.dtTo);
}
} // namespace

void CJournalModel::setFilter(const SJournalFilter& filter, bool bWait) {
    this->filter = filter;
    *pLatestGeneration = ++iGeneration;
    if (bWait) {
        beginResetModel();
        lstQueued.clear();
        lstRows.clear();
        bExhausted = true;
        sProblem.clear();
        endResetModel();
    }
    askPage(0, bWait);
}

void CJournalModel::askPage(int iOffset, bool bWait) {
    bAsking = true;
    const SJournalFilter asked = filter;
    const auto read = [asked, iOffset, iAsked = iGeneration,
                       pLatest = pLatestGeneration](CJournal& journal) {
        SPage page;
        if (*pLatest != iAsked)
            return page; // typed over: the page would be dropped
        if (iOffset == 0)
            page.lstQueued = journal.queuedRows();
        if (!journal.readRows(asked, iOffset, iPageRows, page.lstRows))
            page.sProblem = journal.problem();
        return page;
    };
    const bool bFirst = iOffset == 0;
    const auto late = [pThis = QPointer(this), iAsked = iGeneration, bFirst](const SPage& page) {
        if (pThis && pThis->iGeneration == iAsked)
            pThis->takePage(page, bFirst);
    };
    if (!bWait) {
        journal.post<SPage>(read, late);
        return;
    }
    if (const auto page = journal.ask<SPage>(read, late)) {
        takePage(*page, bFirst);
    } else if (bFirst) {
        sProblem = journal.waitingFor();
        emit answered();
    }
}

void CJournalModel::takePage(const SPage& page, bool bFirst) {
    bAsking = false;
    sProblem = page.sProblem;
    if (bFirst) {
        beginResetModel();
        lstQueued.clear();
        for (const SQueuedEntry& queued : page.lstQueued) {
            if (passes(queued.entry, filter))
                lstQueued.prepend(queued); // newest first
        }
        lstRows = page.lstRows;
        endResetModel();
    } else if (!page.lstRows.isEmpty()) {
        const int iFirst = rowCount();
        beginInsertRows(QModelIndex(), iFirst, iFirst + int(page.lstRows.size()) - 1);
        lstRows += page.lstRows;
        endInsertRows();
    }
    bExhausted = !sProblem.isEmpty() || page.lstRows.size() < iPageRows;
    emit answered();
}

QString CJournalModel::pathAt(int iRow) const {
    if (iRow < lstQueued.size())
        return lstQueued.value(iRow).entry.sPath;
    return lstRows.value(iRow - lstQueued.size()).entry.sPath;
}

int CJournalModel::refusedCount() const {
    return int(std::count_if(lstQueued.cbegin(), lstQueued.cend(),
                             [](const SQueuedEntry& q) { return q.isRefused(); }));
}

int CJournalModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(lstQueued.size() + lstRows.size());
}

int CJournalModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(g_lstColumns.size());
}

QVariant CJournalModel::data(const QModelIndex& index, int iRole) const {
    if (!index.isValid())
        return QVariant();
    const int iRow = index.row();
    if (iRow >= lstQueued.size())
        return journalRowData(lstRows.value(iRow - lstQueued.size()), index.column(), iRole);
    const SQueuedEntry& queued = lstQueued.at(iRow);
    switch (iRole) {
    case Qt::DisplayRole:
        return shownField(queued, index.column());
    case Qt::BackgroundRole:
        return queued.isRefused() ? QColor(255, 215, 215) : QColor(230, 230, 230);
    case Qt::ToolTipRole:
        return queued.isRefused()
                   ? QStringLiteral("Не внесен в журнал: номер %1 уже зарегистрирован (%2). "
                                    "Сохраните протокол под другим номером.")
                         .arg(queued.entry.sNumber, queued.refusedFor.describe())
                   : QStringLiteral("Ждет отправки в журнал");
    default:
        return QVariant();
    }
}

QVariant CJournalModel::journalRowData(const SJournalRow& row, int iColumn, int iRole) {
    if (iRole == Qt::DisplayRole)
        return shownField(row, iColumn);
    if (iRole != Qt::ToolTipRole)
        return QVariant();
    // an amendment and the protocol it replaced name each other
    if (row.eState == EProtocolState::Replaced)
        return QStringLiteral("Заменен протоколом № %1").arg(row.sReplacedBy);
    if (!row.sReplaces.isEmpty())
        return QStringLiteral("Взамен протокола № %1 от %2")
            .arg(row.sReplaces, row.dtReplaces.toString(u"dd.MM.yyyy"));
    return QVariant();
}

QVariant CJournalModel::headerData(int iSection, Qt::Orientation eOrientation, int iRole) const {
    if (iRole != Qt::DisplayRole || eOrientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(iSection, eOrientation, iRole);
    return g_lstColumns.value(iSection);
}

bool CJournalModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !bExhausted && !bAsking;
}

void CJournalModel::fetchMore(const QModelIndex& parent) {
    if (!parent.isValid() && !bExhausted && !bAsking)
        askPage(int(lstRows.size()));
}

QString CJournalModel::unreadableText() const {
    return QStringLiteral("Журнал недоступен: %1").arg(sProblem);
}

CJournalWindow::CJournalWindow(CJournalService& journal, QWidget* pParent)
    : QWidget(pParent, Qt::Window), journal(journal), pModel(new CJournalModel(journal, this)) {
    setObjectName(QStringLiteral("CJournalWindow"));
    setWindowTitle(QStringLiteral("Журнал протоколов"));
    resize(1000, 600);
    auto pLayout = new QVBoxLayout(this);
    auto pBar = new QHBoxLayout;
    edt_filter = new QLineEdit(this);
    edt_filter->setObjectName(QStringLiteral("edt_filter"));
    edt_filter->setPlaceholderText(QStringLiteral("Номер, заказчик или объект"));
    dedt_from = new CDateEditHeir(this);
    dedt_from->setObjectName(QStringLiteral("dedt_from"));
    dedt_to = new CDateEditHeir(this);
    dedt_to->setObjectName(QStringLiteral("dedt_to"));
    cmb_state = new QComboBox(this);
    cmb_state->setObjectName(QStringLiteral("cmb_state"));
    cmb_state->addItem(QStringLiteral("Все"));
    for (const EProtocolState eState : g_eStates)
        cmb_state->addItem(stateName(eState));
    auto btn_export = new QPushButton(QStringLiteral("Экспорт в CSV"), this);
    btn_export->setObjectName(QStringLiteral("btn_export"));
    auto btn_verifyPdf = new QPushButton(QStringLiteral("Проверить PDF…"), this);
    btn_verifyPdf->setObjectName(QStringLiteral("btn_verifyPdf"));
    pBar->addWidget(edt_filter, 1);
    pBar->addWidget(new QLabel(QStringLiteral("с"), this));
    pBar->addWidget(dedt_from);
    pBar->addWidget(new QLabel(QStringLiteral("по"), this));
    pBar->addWidget(dedt_to);
    pBar->addWidget(cmb_state);
    pBar->addWidget(btn_export);
    pBar->addWidget(btn_verifyPdf);
    pLayout->addLayout(pBar);
    tab_journal = new QTableView(this);
    tab_journal->setObjectName(QStringLiteral("tab_journal"));
    tab_journal->setModel(pModel);
    tab_journal->setSelectionBehavior(QAbstractItemView::SelectRows);
    tab_journal->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tab_journal->horizontalHeader()->setStretchLastSection(true);
    tab_journal->verticalHeader()->hide();
    tab_journal->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    tab_journal->setWordWrap(false);
    for (int c = 0; c < g_lstColumns.size(); ++c)
        tab_journal->setColumnWidth(c, g_iColumnWidths[c]);
    pLayout->addWidget(tab_journal);
    lbl_state = new QLabel(this);
    lbl_state->setObjectName(QStringLiteral("lbl_state"));
    lbl_state->setTextFormat(Qt::PlainText); // it names folders
    pLayout->addWidget(lbl_state);
    auto pClose = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(pClose, &QShortcut::activated, this, &QWidget::close);

    connect(edt_filter, &QLineEdit::textChanged, this, &CJournalWindow::slot_filterChanged);
    connect(dedt_from, &QDateEdit::dateChanged, this, &CJournalWindow::slot_filterChanged);
    connect(dedt_to, &QDateEdit::dateChanged, this, &CJournalWindow::slot_filterChanged);
    connect(cmb_state, &QComboBox::currentIndexChanged, this, &CJournalWindow::slot_filterChanged);
    connect(btn_export, &QPushButton::clicked, this, &CJournalWindow::slot_btn_export_clicked);
    connect(btn_verifyPdf, &QPushButton::clicked, this,
            &CJournalWindow::slot_btn_verifyPdf_clicked);
    connect(tab_journal, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { emit openRequested(pModel->pathAt(index.row())); });
    connect(pModel, &CJournalModel::answered, this, &CJournalWindow::slot_showState);
    connect(this, &CJournalWindow::verified, this, [this](const QString& sLine, bool bIssued) {
        if (bIssued)
            CUserDialogs::information(this, g_sVerifyTitle, sLine);
        else
            CUserDialogs::warning(this, g_sVerifyTitle, sLine);
    });
    connect(this, &CJournalWindow::exported, this, [this](const QString& sProblem) {
        if (!sProblem.isEmpty())
            CUserDialogs::warning(this, QStringLiteral("Экспорт в CSV"), sProblem);
    });
    pModel->setFilter(chosenFilter(), true); // the window opens with its rows
}

void CJournalWindow::refresh() {
    slot_filterChanged();
}

void CJournalWindow::slot_filterChanged() {
    pModel->setFilter(chosenFilter());
}

SJournalFilter CJournalWindow::chosenFilter() const {
    // an unset date leaves its end of the range open
    SJournalFilter filter;
    filter.sText = edt_filter->text();
    filter.dtFrom = dedt_from->isUnset() ? QDate() : dedt_from->date();
    filter.dtTo = dedt_to->isUnset() ? QDate() : dedt_to->date();
    if (cmb_state->currentIndex() > 0)
        filter.state = g_eStates[cmb_state->currentIndex() - 1];
    return filter;
}

void CJournalWindow::slot_showState() {
    QStringList lstState;
    if (!pModel->isReadable())
        lstState << pModel->unreadableText();
    if (const int iRefused = pModel->refusedCount())
        lstState << QStringLiteral("Не внесены в журнал, номера уже зарегистрированы: %1 "
                                   "(выделены красным)")
                        .arg(iRefused);
    else if (pModel->queuedCount() > 0)
        lstState << QStringLiteral("Ждут отправки в журнал: %1 (выделены серым)")
                        .arg(pModel->queuedCount());
    lbl_state->setText(lstState.join(QLatin1Char('\n')));
    lbl_state->setVisible(!lstState.isEmpty());
}

QByteArray CJournalWindow::csvOf(const QList<SQueuedEntry>& lstQueued,
                                 const QList<SJournalRow>& lstRows) {
    QByteArray csv("\xEF\xBB\xBF");
    const auto line = [&csv](const auto& row) {
        QStringList lstFields;
        for (int c = 0; c < g_lstColumns.size(); ++c)
            lstFields << csvField(shownField(row, c));
        csv += lstFields.join(QLatin1Char(';')).toUtf8() + "\r\n";
    };
    csv += g_lstColumns.join(QLatin1Char(';')).toUtf8() + "\r\n";
    // as the window shows them: the queue's rows first, newest first
    for (auto it = lstQueued.crbegin(); it != lstQueued.crend(); ++it)
        line(*it);
    for (const SJournalRow& row : lstRows)
        line(row);
    return csv;
}

void CJournalWindow::exportCsv(const QString& sPath) {
    const SJournalFilter filter = pModel->currentFilter();
    // a journal of many years is read and written by the worker
    journal.post<QString>(
        [filter, sPath](CJournal& journal) {
            QList<SJournalRow> lstRows;
            if (!journal.readRows(filter, 0, 0, lstRows))
                return QStringLiteral("Журнал недоступен: %1. Файл «%2» не записан.")
                    .arg(journal.problem(), QDir::toNativeSeparators(sPath));
            QList<SQueuedEntry> lstQueued;
            for (const SQueuedEntry& queued : journal.queuedRows()) {
                if (passes(queued.entry, filter))
                    lstQueued << queued;
            }
            QString sProblem;
            saveFileBytes(sPath, csvOf(lstQueued, lstRows), &sProblem);
            return sProblem;
        },
        [pThis = QPointer(this)](const QString& sProblem) {
            if (pThis)
                emit pThis->exported(sProblem);
        });
}

void CJournalWindow::verifyPdf(const QString& sPath) {
    const QString sName = QFileInfo(sPath).fileName();
    // a large PDF is read in the worker, as the journal is
    journal.post<SPdfCheck>([sPath](CJournal& journal) { return journal.checkPdf(sPath); },
                            [pThis = QPointer(this), sName](const SPdfCheck& check) {
                                if (pThis)
                                    emit pThis->verified(check.line(sName), check.isIssued());
                            });
}

void CJournalWindow::slot_btn_verifyPdf_clicked() {
    const QString sPath = CUserDialogs::get().openFileName(this, g_sVerifyTitle, sExportDir,
                                                           QStringLiteral("Документы PDF (*.pdf)"));
    if (!sPath.isEmpty())
        verifyPdf(sPath);
}

void CJournalWindow::slot_btn_export_clicked() {
    if (!pModel->isReadable()) {
        CUserDialogs::warning(this, QStringLiteral("Экспорт в CSV"), pModel->unreadableText());
        return;
    }
    const QString sPath =
        CUserDialogs::get().saveFileName(this, QStringLiteral("Экспорт в CSV"),
                                         QDir(sExportDir).filePath(QStringLiteral("журнал.csv")),
                                         QStringLiteral("Таблицы CSV (*.csv)"));
    if (!sPath.isEmpty())
        exportCsv(sPath);
}
