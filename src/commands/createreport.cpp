#include "commands/createreport.h"

#include "commands/lastnumbersource.h"
#include "commands/newitem.h"
#include "commands/statuslabel.h"
#include "items/resources.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QResizeEvent>
#include <QShortcut>
#include <QStringList>
#include <QToolButton>

namespace {
// Highest number offered when the bar sits in no composer.
constexpr int g_iMaxWithoutComposer = 99;
constexpr int g_iBarHeight = 30;
// The status line begins right of the last command button.
constexpr int g_iStatusX = 500;
} // namespace

namespace {
QIcon imageIcon(const QString& sName) {
    return QIcon(QStringLiteral(":/vek_conclusion/Images/%1.png").arg(sName));
}

// The desktop's key for a standard command; some desktops give none (Save
// As without GNOME or KDE), and the common key stands in.
QKeySequence standardKey(QKeySequence::StandardKey eKey, const QKeySequence& fallback) {
    const QKeySequence key(eKey);
    return key.isEmpty() ? fallback : key;
}
} // namespace

CCreateReport::CCreateReport(QWidget* pParent) : QWidget(pParent), pComposer(pParent) {
    initImageResources();
    setObjectName(QStringLiteral("CCreateReport"));
    resize(1000, g_iBarHeight);
    setMinimumSize(1000, g_iBarHeight);
    setMaximumSize(16777215, g_iBarHeight);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    QFont font = this->font();
    font.setPointSize(12);
    setFont(font);

    btn_open = createButton(QStringLiteral("btn_open"), 10, imageIcon(QStringLiteral("fileopen")),
                            QStringLiteral("Открыть сохраненный отчет"), QKeySequence::Open);
    btn_preview = createButton(
        QStringLiteral("btn_preview"), 60, imageIcon(QStringLiteral("print_preview")),
        QStringLiteral("Предварительный просмотр"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    btn_print =
        createButton(QStringLiteral("btn_print"), 100, imageIcon(QStringLiteral("fileprint")),
                     QStringLiteral("Распечатать протокол"), QKeySequence::Print);
    btn_save = createButton(QStringLiteral("btn_save"), 140, imageIcon(QStringLiteral("save")),
                            QStringLiteral("Сохранить протокол"), QKeySequence::Save);
    btn_new = createButton(
        QStringLiteral("btn_new"), 190,
        QIcon::fromTheme(QStringLiteral("document-new"), imageIcon(QStringLiteral("new_protocol"))),
        QStringLiteral("Новый протокол"), QKeySequence::New);
    btn_newFromCurrent = createButton(
        QStringLiteral("btn_newFromCurrent"), 230, imageIcon(QStringLiteral("new_from_current")),
        QStringLiteral("Новый на основе текущего"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_N));
    btn_pdf = createButton(QStringLiteral("btn_pdf"), 270, imageIcon(QStringLiteral("save_pdf")),
                           QStringLiteral("Сохранить в PDF"), QKeySequence(Qt::CTRL | Qt::Key_E));
    btn_journal =
        createButton(QStringLiteral("btn_journal"), 324, imageIcon(QStringLiteral("journal")),
                     QStringLiteral("Журнал протоколов"), QKeySequence(Qt::CTRL | Qt::Key_J));
    btn_settings = createButton(QStringLiteral("btn_settings"), 404,
                                QIcon::fromTheme(QStringLiteral("preferences-system"),
                                                 imageIcon(QStringLiteral("settings"))),
                                QStringLiteral("Настройки"), QKeySequence());
    btn_issue = createButton(QStringLiteral("btn_issue"), 444, imageIcon(QStringLiteral("issue")),
                             QStringLiteral("Выдать протокол"), QKeySequence(Qt::CTRL | Qt::Key_I));
    btn_about = createButton(QStringLiteral("btn_about"), 960, imageIcon(QStringLiteral("info")),
                             QStringLiteral("О программе"), QKeySequence::HelpContents);
    btn_addItem = createButton(
        QStringLiteral("btn_addItem"), 364, imageIcon(QStringLiteral("add_item")),
        QStringLiteral("Добавить пункт"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));

    lbl_status = new CStatusLabel(this);
    lbl_status->setObjectName(QStringLiteral("lbl_status"));
    lbl_status->setGeometry(g_iStatusX, 0, 0, g_iBarHeight);
    lbl_status->setFont(QFont(font.family(), 10));

    // the recent documents under the open button, "Сохранить как…" under save
    pRecentMenu = new QMenu(btn_open);
    pRecentMenu->setObjectName(QStringLiteral("menu_recent"));
    btn_open->setMenu(pRecentMenu);
    btn_open->setPopupMode(QToolButton::MenuButtonPopup);
    btn_open->setFixedSize(44, 30);
    setRecentDocuments({});
    QAction* pSaveAs = addMenuCommand(
        btn_save, QStringLiteral("Сохранить как…"),
        standardKey(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    connect(pSaveAs, &QAction::triggered, this, &CCreateReport::saveReportAs);
    // the editable copy beside the PDF
    QAction* pOdt = addMenuCommand(btn_pdf, QStringLiteral("Сохранить в ODT"),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    connect(pOdt, &QAction::triggered, this, &CCreateReport::exportOdt);
    // an issued protocol is changed only as its next revision
    QAction* pRevision = addMenuCommand(btn_issue, QStringLiteral("Новая редакция"),
                                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    connect(pRevision, &QAction::triggered, this, &CCreateReport::newRevision);

    connect(btn_open, &QToolButton::clicked, this, &CCreateReport::openReport);
    connect(btn_preview, &QToolButton::clicked, this, &CCreateReport::previewReport);
    connect(btn_print, &QToolButton::clicked, this, &CCreateReport::printReport);
    connect(btn_save, &QToolButton::clicked, this, &CCreateReport::saveReport);
    connect(btn_new, &QToolButton::clicked, this, &CCreateReport::newReport);
    connect(btn_newFromCurrent, &QToolButton::clicked, this, &CCreateReport::newFromCurrent);
    connect(btn_pdf, &QToolButton::clicked, this, &CCreateReport::exportPdf);
    connect(btn_settings, &QToolButton::clicked, this, &CCreateReport::showSettings);
    connect(btn_journal, &QToolButton::clicked, this, &CCreateReport::showJournal);
    connect(btn_issue, &QToolButton::clicked, this, &CCreateReport::issueReport);
    connect(btn_about, &QToolButton::clicked, this, &CCreateReport::showInfo);
    connect(btn_addItem, &QToolButton::clicked, this, &CCreateReport::slot_addItem_clicked);
    qApp->installEventFilter(this);
}

bool CCreateReport::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pEvent->type() != QEvent::ShortcutOverride || !pWatched->isWidgetType() ||
        static_cast<QWidget*>(pWatched)->window() != window())
        return QWidget::eventFilter(pWatched, pEvent);
    const auto pKey = static_cast<QKeyEvent*>(pEvent);
    const QKeySequence key(pKey->keyCombination());
    if (!lstCommandKeys.contains(key))
        return QWidget::eventFilter(pWatched, pEvent);
    pEvent->ignore(); // not the editor's: the shortcut acts
    return true;
}

CCreateReport::~CCreateReport() {
    delete pNewItem.data();
}

QToolButton* CCreateReport::createButton(const QString& sName, int iX, const QIcon& icon,
                                         const QString& sToolTip, const QKeySequence& shortcut) {
    auto* pButton = new QToolButton(this);
    pButton->setObjectName(sName);
    pButton->setGeometry(iX, 0, 30, 30);
    pButton->setFixedSize(30, 30);
    pButton->setIcon(icon);
    pButton->setIconSize(QSize(32, 32));
    if (shortcut.isEmpty()) {
        pButton->setToolTip(sToolTip);
        return pButton;
    }
    pButton->setToolTip(
        QStringLiteral("%1 (%2)").arg(sToolTip, shortcut.toString(QKeySequence::NativeText)));
    // the command is at hand wherever the form is scrolled or focused
    lstCommandKeys.append(shortcut);
    auto pShortcut = new QShortcut(shortcut, this);
    pShortcut->setObjectName(sName + QStringLiteral("_shortcut"));
    pShortcut->setContext(Qt::WindowShortcut);
    connect(pShortcut, &QShortcut::activated, pButton, &QToolButton::click);
    return pButton;
}

QAction* CCreateReport::addMenuCommand(QToolButton* pButton, const QString& sText,
                                       const QKeySequence& shortcut) {
    if (!pButton->menu()) {
        pButton->setMenu(new QMenu(pButton));
        pButton->setPopupMode(QToolButton::MenuButtonPopup);
        pButton->setFixedSize(44, 30);
    }
    QAction* pAction = pButton->menu()->addAction(sText);
    pAction->setShortcut(shortcut);                  // shown in the menu
    pAction->setShortcutContext(Qt::WidgetShortcut); // the bar's own shortcut acts
    lstCommandKeys.append(shortcut);
    auto pShortcut = new QShortcut(shortcut, this);
    pShortcut->setContext(Qt::WindowShortcut);
    connect(pShortcut, &QShortcut::activated, pAction, &QAction::trigger);
    pButton->setToolTip(
        pButton->toolTip() +
        QStringLiteral("; %1 (%2)").arg(sText, shortcut.toString(QKeySequence::NativeText)));
    return pAction;
}

void CCreateReport::setRecentDocuments(const QStringList& lstPaths) {
    pRecentMenu->clear();
    for (const QString& sPath : lstPaths) {
        QAction* pAction = pRecentMenu->addAction(QDir::toNativeSeparators(sPath));
        connect(pAction, &QAction::triggered, this,
                [this, sPath] { emit openRecentReport(sPath); });
    }
    if (lstPaths.isEmpty())
        pRecentMenu->addAction(QStringLiteral("Нет последних документов"))->setEnabled(false);
}

void CCreateReport::slot_addItem_clicked() {
    delete pNewItem.data();
    pNewItem = new CNewItem();

    int iMaximum = g_iMaxWithoutComposer;
    if (pComposer) {
        const auto* pSource = dynamic_cast<const CLastNumberSource*>(pComposer.data());
        if (pSource)
            iMaximum = pSource->lastNumber() + 1;
    }
    pNewItem->setMaximum(iMaximum);
    connect(pNewItem.data(), &CNewItem::addNewItem, this, &CCreateReport::slot_newItem_added);
    pNewItem->show();
}

void CCreateReport::slot_newItem_added(int iNum, const QString& sName, const QString& sValue) {
    // The call comes from the form's own signal: it goes away once that
    // delivery is over.
    if (pNewItem) {
        pNewItem->hide();
        pNewItem->deleteLater();
        pNewItem = nullptr;
    }
    emit addStandardItem(iNum, sName, sValue);
}

void CCreateReport::resizeEvent(QResizeEvent* pEvent) {
    QWidget::resizeEvent(pEvent);
    btn_about->move(pEvent->size().width() - btn_about->width() - 10, 0);
    lbl_status->resize(qMax(0, btn_about->x() - 10 - g_iStatusX), g_iBarHeight);
}

void CCreateReport::showStatus(EStatus eSource, const QString& sText) {
    aStatus[size_t(eSource)] = sText;
    QStringList lstShown;
    for (const QString& s : aStatus)
        if (!s.isEmpty())
            lstShown << s;
    lbl_status->showParts(lstShown);
}
