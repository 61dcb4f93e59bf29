#include "composer/journalwindow.h"

#include "base/savefile.h"
#include "base/userdialogs.h"
#include "items/dateeditheir.h"
#include "storage/journal.h"

#include <QColor>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QStringList g_lstColumns = {
    QStringLiteral("Номер"),    QStringLiteral("Дата"),         QStringLiteral("Заказчик"),
    QStringLiteral("Объект"),   QStringLiteral("Методы"),       QStringLiteral("Документ"),
    QStringLiteral("Сохранен"), QStringLiteral("Пользователь"), QStringLiteral("Компьютер")};
// Room for what a column usually holds: a number, a date, names, a path.
constexpr int g_iColumnWidths[] = {90, 90, 200, 200, 150, 260, 130, 110, 110};

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
    eColHost
};

// A field of a row as the window shows it and the CSV holds it.
QString shownField(const SJournalEntry& e, int iColumn) {
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
    }
    return QString();
}
} // namespace

CJournalModel::CJournalModel(CJournal& journal, QObject* pParent)
    : QAbstractTableModel(pParent), journal(journal) {}

namespace {
// Whether a queued row passes the filter as a journal row would.
bool passes(const SJournalEntry& e, const SJournalFilter& filter) {
    const QString sSearched = CJournal::searchText(e.sNumber + QLatin1Char(' ') + e.sCustomer +
                                                   QLatin1Char(' ') + e.sObject);
    return sSearched.contains(CJournal::searchText(filter.sText)) &&
           (!filter.dtFrom.isValid() || e.dtDate >= filter.dtFrom) &&
           (!filter.dtTo.isValid() || e.dtDate <= filter.dtTo);
}
} // namespace

void CJournalModel::setFilter(const SJournalFilter& filter) {
    beginResetModel();
    this->filter = filter;
    lstQueued.clear();
    for (const SQueuedEntry& queued : journal.queuedRows()) {
        if (passes(queued.entry, filter))
            lstQueued.prepend(queued); // newest first
    }
    lstRows.clear();
    bReadable = journal.readRows(filter, 0, iPageRows, lstRows);
    bExhausted = !bReadable || lstRows.size() < iPageRows;
    endResetModel();
}

QString CJournalModel::pathAt(int iRow) const {
    if (iRow < lstQueued.size())
        return lstQueued.value(iRow).entry.sPath;
    return lstRows.value(iRow - lstQueued.size()).sPath;
}

int CJournalModel::refusedCount() const {
    return int(std::count_if(lstQueued.cbegin(), lstQueued.cend(),
                             [](const SQueuedEntry& q) { return q.isRefused(); }));
}

QList<QStringList> CJournalModel::allRows() {
    QList<SJournalEntry> lstEntries;
    journal.readRows(filter, 0, 0, lstEntries);
    QList<QStringList> lst;
    for (const SJournalEntry& e : std::as_const(lstEntries)) {
        QStringList lstFields;
        for (int c = 0; c < g_lstColumns.size(); ++c)
            lstFields << shownField(e, c);
        lst << lstFields;
    }
    return lst;
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
        return iRole == Qt::DisplayRole
                   ? shownField(lstRows.value(iRow - lstQueued.size()), index.column())
                   : QVariant();
    const SQueuedEntry& queued = lstQueued.at(iRow);
    switch (iRole) {
    case Qt::DisplayRole:
        return shownField(queued.entry, index.column());
    case Qt::BackgroundRole:
        return queued.isRefused() ? QColor(255, 215, 215) : QColor(230, 230, 230);
    case Qt::ToolTipRole:
        return queued.isRefused()
                   ? QStringLiteral("Не внесен в журнал: номер %1 уже зарегистрирован (%2). "
                                    "Сохраните протокол под другим номером.")
                         .arg(queued.entry.sNumber, queued.sRefusedFor)
                   : QStringLiteral("Ждет отправки в журнал");
    default:
        return QVariant();
    }
}

QVariant CJournalModel::headerData(int iSection, Qt::Orientation eOrientation, int iRole) const {
    if (iRole != Qt::DisplayRole || eOrientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(iSection, eOrientation, iRole);
    return g_lstColumns.value(iSection);
}

bool CJournalModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !bExhausted;
}

void CJournalModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || bExhausted)
        return;
    QList<SJournalEntry> lstPage;
    bExhausted = !journal.readRows(filter, int(lstRows.size()), iPageRows, lstPage) ||
                 lstPage.size() < iPageRows;
    if (lstPage.isEmpty())
        return;
    const int iFirst = rowCount();
    beginInsertRows(QModelIndex(), iFirst, iFirst + int(lstPage.size()) - 1);
    lstRows += lstPage;
    endInsertRows();
}

QString CJournalModel::unreadableText() const {
    const QString sWhy = journal.problem();
    return QStringLiteral("Журнал недоступен: %1")
        .arg(sWhy.isEmpty() ? QStringLiteral("сервер не отвечает") : sWhy);
}

CJournalWindow::CJournalWindow(CJournal& journal, QWidget* pParent)
    : QWidget(pParent, Qt::Window), pModel(new CJournalModel(journal, this)) {
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
    auto btn_export = new QPushButton(QStringLiteral("Экспорт в CSV"), this);
    btn_export->setObjectName(QStringLiteral("btn_export"));
    pBar->addWidget(edt_filter, 1);
    pBar->addWidget(new QLabel(QStringLiteral("с"), this));
    pBar->addWidget(dedt_from);
    pBar->addWidget(new QLabel(QStringLiteral("по"), this));
    pBar->addWidget(dedt_to);
    pBar->addWidget(btn_export);
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
    pLayout->addWidget(lbl_state);
    auto pClose = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(pClose, &QShortcut::activated, this, &QWidget::close);

    connect(edt_filter, &QLineEdit::textChanged, this, &CJournalWindow::slot_filterChanged);
    connect(dedt_from, &QDateEdit::dateChanged, this, &CJournalWindow::slot_filterChanged);
    connect(dedt_to, &QDateEdit::dateChanged, this, &CJournalWindow::slot_filterChanged);
    connect(btn_export, &QPushButton::clicked, this, &CJournalWindow::slot_btn_export_clicked);
    connect(tab_journal, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { emit openRequested(pModel->pathAt(index.row())); });
    slot_filterChanged();
}

void CJournalWindow::refresh() {
    slot_filterChanged();
}

void CJournalWindow::slot_filterChanged() {
    // an unset date leaves its end of the range open
    pModel->setFilter({edt_filter->text(), dedt_from->isUnset() ? QDate() : dedt_from->date(),
                       dedt_to->isUnset() ? QDate() : dedt_to->date()});
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

bool CJournalWindow::exportCsv(const QString& sPath, QString* pProblem) {
    QByteArray csv("\xEF\xBB\xBF");
    QList<QStringList> lstRows = pModel->allRows();
    lstRows.prepend(g_lstColumns);
    for (const QStringList& lst : std::as_const(lstRows)) {
        QStringList lstFields;
        for (const QString& s : lst)
            lstFields << csvField(s);
        csv += lstFields.join(QLatin1Char(';')).toUtf8() + "\r\n";
    }
    return saveFileBytes(sPath, csv, pProblem);
}

void CJournalWindow::slot_btn_export_clicked() {
    refresh();
    if (!pModel->isReadable()) {
        CUserDialogs::warning(this, QStringLiteral("Экспорт в CSV"), pModel->unreadableText());
        return;
    }
    const QString sPath =
        CUserDialogs::get().saveFileName(this, QStringLiteral("Экспорт в CSV"),
                                         QDir(sExportDir).filePath(QStringLiteral("журнал.csv")),
                                         QStringLiteral("Таблицы CSV (*.csv)"));
    QString sProblem;
    if (!sPath.isEmpty() && !exportCsv(sPath, &sProblem))
        CUserDialogs::warning(this, QStringLiteral("Экспорт в CSV"), sProblem);
}
