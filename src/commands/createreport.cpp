#include "commands/createreport.h"

#include "base/resources.h"
#include "commands/lastnumbersource.h"
#include "commands/newitem.h"

#include <QIcon>
#include <QKeySequence>
#include <QResizeEvent>
#include <QShortcut>
#include <QToolButton>

namespace {
// Highest number offered when the bar sits in no composer.
constexpr int g_iMaxWithoutComposer = 99;
constexpr int g_iBarHeight = 30;
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

    btn_open = createButton(QStringLiteral("btn_open"), 10,
                            QStringLiteral(":/vek_conclusion/Images/fileopen.png"),
                            QStringLiteral("Открыть сохраненный отчет"), QKeySequence::Open);
    btn_preview = createButton(QStringLiteral("btn_preview"), 50,
                               QStringLiteral(":/vek_conclusion/Images/print_preview.png"),
                               QStringLiteral("Предварительный просмотр"),
                               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    btn_print = createButton(QStringLiteral("btn_print"), 90,
                             QStringLiteral(":/vek_conclusion/Images/fileprint.png"),
                             QStringLiteral("Распечатать протокол"), QKeySequence::Print);
    btn_save = createButton(QStringLiteral("btn_save"), 130,
                            QStringLiteral(":/vek_conclusion/Images/save.png"),
                            QStringLiteral("Сохранить протокол"), QKeySequence::Save);
    btn_about = createButton(QStringLiteral("btn_about"), 960,
                             QStringLiteral(":/vek_conclusion/Images/info.png"),
                             QStringLiteral("О программе"), QKeySequence::HelpContents);
    btn_addItem = createButton(
        QStringLiteral("btn_addItem"), 310, QStringLiteral(":/vek_conclusion/Images/add_item.png"),
        QStringLiteral("Добавить пункт"), QKeySequence(Qt::CTRL | Qt::Key_N));

    connect(btn_open, &QToolButton::clicked, this, &CCreateReport::openReport);
    connect(btn_preview, &QToolButton::clicked, this, &CCreateReport::previewReport);
    connect(btn_print, &QToolButton::clicked, this, &CCreateReport::printReport);
    connect(btn_save, &QToolButton::clicked, this, &CCreateReport::saveReport);
    connect(btn_about, &QToolButton::clicked, this, &CCreateReport::showInfo);
    connect(btn_addItem, &QToolButton::clicked, this, &CCreateReport::slot_addItem_clicked);
}

CCreateReport::~CCreateReport() {
    delete pNewItem.data();
}

QToolButton* CCreateReport::createButton(const QString& sName, int iX, const QString& sIcon,
                                         const QString& sToolTip, const QKeySequence& shortcut) {
    auto* pButton = new QToolButton(this);
    pButton->setObjectName(sName);
    pButton->setGeometry(iX, 0, 30, 30);
    pButton->setFixedSize(30, 30);
    QIcon icon;
    icon.addFile(sIcon, QSize(), QIcon::Normal, QIcon::Off);
    pButton->setIcon(icon);
    pButton->setIconSize(QSize(32, 32));
    pButton->setToolTip(
        QStringLiteral("%1 (%2)").arg(sToolTip, shortcut.toString(QKeySequence::NativeText)));
    // the command is at hand wherever the form is scrolled or focused
    auto pShortcut = new QShortcut(shortcut, this);
    pShortcut->setObjectName(sName + QStringLiteral("_shortcut"));
    pShortcut->setContext(Qt::WindowShortcut);
    connect(pShortcut, &QShortcut::activated, pButton, &QToolButton::click);
    return pButton;
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
}
