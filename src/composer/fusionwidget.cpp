#include "composer/fusionwidget.h"

#include "base/constants.h"
#include "base/userdialogs.h"
#include "commands/createreport.h"
#include "composer/aboutwindow.h"
#include "composer/documentcontroller.h"
#include "composer/reportheader.h"
#include "document/methodvocabulary.h"
#include "items/editableset.h"
#include "items/extdatset.h"
#include "items/methodsset.h"
#include "items/spellchecker.h"
#include "items/stdcomboitem.h"
#include "items/stddateitem.h"
#include "items/stditem.h"
#include "items/wdtseparator.h"
#include "refdata/measuringtool.h"
#include "results/conclusion.h"
#include "results/tablewidgetheir.h"
#include "storage/recentdocuments.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDate>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPrinter>
#include <QResizeEvent>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <new>
#include <utility>

CFusionWidget::CFusionWidget(const QString& sAppDir, QWidget* pParent, const QString& sDataDir,
                             const QString& sReferenceDir)
    : QWidget(pParent) {
    sCustomerCaption = Caption::sCustomer;
    sReasonCaption = Caption::sReason;
    sStandardsCaption = Caption::sStandards;
    sAssessmentCaption = Caption::sAssessment;

    lstMethodsNominative = methodsNominative();
    lstMethodsGenitive = methodsGenitive();
    lstMethodsDative = methodsDative();

    // the reference lists come first: the sections offer them
    pController = new CDocumentController(*this, sAppDir, sDataDir, sReferenceDir);
    if (!createSections()) {
        CUserDialogs::critical(this, g_sCriticalTitle, g_sMemoryExhausted);
        return;
    }
    if (!CSpellChecker::shared().hasDictionary())
        showStatus(QStringLiteral("Проверка орфографии отключена: нет русского словаря "
                                  "(пакет hunspell-ru)"));
    slot_innerWidgetHeightChanged();
    setVisible(true);
    pController->start();
}

// The controller goes first: it waits for the journal's queue and takes the
// recovery copy with it, while the sections are still there.
CFusionWidget::~CFusionWidget() {
    delete pController;
    delete pPrinter;
}

template <typename T> T* CFusionWidget::addSection(T* pSection) {
    if (pSection)
        lstSections.append(pSection);
    return pSection;
}

bool CFusionWidget::createSections() {
    auto connectHeight = [this](auto* pSection) {
        connect(pSection, &std::remove_pointer_t<decltype(pSection)>::widgetHeightChanged, this,
                &CFusionWidget::slot_innerWidgetHeightChanged);
    };
    // a row added on the same line changes no height, but the order of Tab
    auto connectRows = [this](CExtItem* pSection) {
        connect(pSection, &CExtItem::listItemsWidgetChanged, this, &CFusionWidget::updateTabOrder);
    };

    CCreateReport* pBar = addSection(new (std::nothrow) CCreateReport(this));
    if (!pBar)
        return false;
    connect(pBar, &CCreateReport::openReport, this, &CFusionWidget::slot_openSavedReport);
    connect(pBar, &CCreateReport::previewReport, this, &CFusionWidget::slot_previewReport);
    connect(pBar, &CCreateReport::saveReport, this, &CFusionWidget::slot_saveReport);
    connect(pBar, &CCreateReport::printReport, this, &CFusionWidget::slot_printReport);
    connect(pBar, &CCreateReport::showInfo, this, &CFusionWidget::slot_showInfoAbout);
    connect(pBar, &CCreateReport::saveReportAs, this, &CFusionWidget::slot_saveReportAs);
    connect(pBar, &CCreateReport::newReport, this, &CFusionWidget::slot_newReport);
    connect(pBar, &CCreateReport::exportPdf, this, &CFusionWidget::slot_exportPdf);
    connect(pBar, &CCreateReport::newFromCurrent, this, &CFusionWidget::slot_newFromCurrent);
    connect(pBar, &CCreateReport::exportOdt, this, &CFusionWidget::slot_exportOdt);
    connect(pBar, &CCreateReport::openRecentReport, this, &CFusionWidget::slot_openRecentReport);
    connect(pBar, &CCreateReport::showSettings, this, &CFusionWidget::slot_showSettings);
    connect(pBar, &CCreateReport::showJournal, this, &CFusionWidget::slot_showJournal);
    pBar->setRecentDocuments(CRecentDocuments::list());
    connect(pBar, &CCreateReport::addStandardItem, this, &CFusionWidget::slot_addNewStdItem);

    if (!(pHeader = addSection(new (std::nothrow) CReportHeader(this))))
        return false;
    if (!addSection(new (std::nothrow) CWdtSeparator(this)))
        return false;
    if (!addSection(new (std::nothrow) CStdItem(this, 0, Caption::sNumber, QString(), false, 1)))
        return false;
    if (!(pDateItem = addSection(new (std::nothrow) CStdDateItem(this, QDate::currentDate()))))
        return false;
    connect(pDateItem, &CStdDateItem::shownDateChanged, this, &CFusionWidget::applyProtocolDate);

    pMethodsSet = addSection(new (std::nothrow)
                                 CMethodsSet(this, 0, Caption::sMethods, lstMethodsNominative));
    if (!pMethodsSet)
        return false;
    connectHeight(pMethodsSet);
    connectRows(pMethodsSet);
    connect(pMethodsSet, &CMethodsSet::setOfSelectedItemsChanged, this,
            &CFusionWidget::slot_usedMethodsChanged);
    connect(pMethodsSet, &CMethodsSet::listItemsWidgetChanged, this,
            &CFusionWidget::slot_listUsedMethodsChanged);
    pMethodsSet->setRemovalCheck([this] { return mayRemoveLastConclusion(); });

    auto pDates = addSection(new (std::nothrow) CExtDatSet(this, 1, Caption::sControlDates));
    if (!pDates)
        return false;
    connectHeight(pDates);
    connectRows(pDates);

    if (!(pCustomerItem = addSection(
              new (std::nothrow) CStdComboItem(this, 2, sCustomerCaption, organizationNames()))))
        return false;
    connect(pCustomerItem, &CStdComboItem::stringListItemAdded, this,
            &CFusionWidget::slot_orgListItemAdded);
    connect(pCustomerItem, &CStdComboItem::stringListItemDeleted, this,
            &CFusionWidget::slot_orgListItemDeleted);
    connect(pCustomerItem, &CStdComboItem::currentIndexChanged, this,
            &CFusionWidget::slot_orgChanged);

    if (!addSection(new (std::nothrow) CStdItem(this, 3, Caption::sAddress, QString(), false, 3)))
        return false;

    if (!(pReasonItem =
              addSection(new (std::nothrow) CStdComboItem(this, 4, sReasonCaption, QStringList()))))
        return false;
    connect(pReasonItem, &CStdComboItem::stringListItemAdded, this,
            &CFusionWidget::slot_reasonsListItemAdded);
    connect(pReasonItem, &CStdComboItem::stringListItemDeleted, this,
            &CFusionWidget::slot_reasonsListItemDeleted);

    const struct {
        const QString& sCaption;
        int iNum;
    } rows[] = {{Caption::sObjectName, 5}, {Caption::sObject, 6}, {Caption::sStage, 7}};
    for (const auto& row : rows) {
        if (!addSection(new (std::nothrow)
                            CStdItem(this, row.iNum, row.sCaption, QString(), false, 3)))
            return false;
    }

    auto pStandards =
        addSection(new (std::nothrow) CEditableSet(this, 8, sStandardsCaption, lstStandards));
    if (!pStandards)
        return false;
    connectHeight(pStandards);
    connectRows(pStandards);
    auto pAssessments =
        addSection(new (std::nothrow) CEditableSet(this, 9, sAssessmentCaption, lstAssessments));
    if (!pAssessments)
        return false;
    connectHeight(pAssessments);
    connectRows(pAssessments);

    pToolsSection =
        addSection(new (std::nothrow) CMeasuringTool(10, Caption::sTools, lstTools, this));
    if (!pToolsSection)
        return false;
    connectHeight(pToolsSection);
    pToolsSection->setProtocolDate(pDateItem->shownDate());
    // the conclusion of the method chosen first, ultrasonic
    return addConclusion(11, 0);
}

int CFusionWidget::layOutSections() {
    int y = 10;
    for (QWidget* pSection : lstSections) {
        pSection->setGeometry(0, y, width(), pSection->height());
        pSection->setVisible(true);
        y += pSection->height() + 10;
    }
    return y;
}

void CFusionWidget::slot_innerWidgetHeightChanged() {
    if (bReadingDocument)
        return; // once, when the whole document is read
    const int h = layOutSections();
    setMinimumSize(1000, h);
    resize(width(), h);
    updateTabOrder();
    slot_contentEdited(); // sections came or went, or grew
}

void CFusionWidget::slot_contentEdited() {
    // many edits in one turn of the event loop are judged once, after it
    if (std::exchange(bEditCheckQueued, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            bEditCheckQueued = false;
            pController->checkModified();
        },
        Qt::QueuedConnection);
}

void CFusionWidget::watchEdits(QWidget* pEditor) {
    // every kind of editor the sections are made of announces its changes
    const auto watch = [this](auto* pSender, auto pSignal) {
        connect(pSender, pSignal, this, &CFusionWidget::slot_contentEdited, Qt::UniqueConnection);
    };
    if (auto p = qobject_cast<QLineEdit*>(pEditor)) {
        watch(p, &QLineEdit::textChanged);
    } else if (auto p = qobject_cast<QComboBox*>(pEditor)) {
        watch(p, &QComboBox::currentTextChanged);
        watch(p, qOverload<int>(&QComboBox::currentIndexChanged));
    } else if (auto p = qobject_cast<QDateTimeEdit*>(pEditor)) {
        watch(p, &QDateTimeEdit::dateTimeChanged);
    } else if (auto p = qobject_cast<QTextEdit*>(pEditor)) {
        watch(p, &QTextEdit::textChanged);
    } else if (auto p = qobject_cast<QAbstractButton*>(pEditor)) {
        watch(p, &QAbstractButton::toggled);
    } else if (auto p = qobject_cast<QTableWidget*>(pEditor)) {
        QAbstractItemModel* pModel = p->model();
        watch(pModel, &QAbstractItemModel::dataChanged);
        watch(pModel, &QAbstractItemModel::headerDataChanged);
        watch(pModel, &QAbstractItemModel::rowsInserted);
        watch(pModel, &QAbstractItemModel::rowsRemoved);
        watch(pModel, &QAbstractItemModel::columnsInserted);
        watch(pModel, &QAbstractItemModel::columnsRemoved);
        if (auto pTable = qobject_cast<CTableWidgetHeir*>(p))
            watch(pTable, &CTableWidgetHeir::pendingEditChanged);
    }
}

namespace {
// Whether Tab stops at w itself: the inner parts of a combo box, a spin box
// or a scrolled view are reached through their owner.
bool isTabStop(const QWidget* w, const QWidget* pSection) {
    if (!(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisibleTo(pSection))
        return false;
    for (const QWidget* p = w->parentWidget(); p && p != pSection; p = p->parentWidget()) {
        if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
            qobject_cast<const QAbstractScrollArea*>(p))
            return false;
    }
    return true;
}
} // namespace

void CFusionWidget::updateTabOrder() {
    if (bReadingDocument)
        return; // once, when the whole document is read
    // lines of a section are at least 30 pixels apart; a "-" under a "+"
    // belongs to the line of the "+"
    constexpr int iLineHeight = 30;
    QWidget* pPrevious = nullptr;
    for (QWidget* pSection : std::as_const(lstSections)) {
        QList<QWidget*> lstStops;
        const auto lstChildren = pSection->findChildren<QWidget*>();
        for (QWidget* w : lstChildren) {
            watchEdits(w);
            if (isTabStop(w, pSection))
                lstStops.append(w);
        }
        std::stable_sort(lstStops.begin(), lstStops.end(), [pSection](QWidget* a, QWidget* b) {
            const QPoint pa = a->mapTo(pSection, QPoint(0, 0));
            const QPoint pb = b->mapTo(pSection, QPoint(0, 0));
            const int la = pa.y() / iLineHeight;
            const int lb = pb.y() / iLineHeight;
            return la != lb ? la < lb : pa.x() < pb.x();
        });
        for (QWidget* w : std::as_const(lstStops)) {
            if (pPrevious)
                QWidget::setTabOrder(pPrevious, w);
            pPrevious = w;
        }
    }
}

void CFusionWidget::resizeEvent(QResizeEvent* pEvent) {
    QWidget::resizeEvent(pEvent);
    for (QWidget* pSection : lstSections)
        pSection->resize(pEvent->size().width(), pSection->height());
}

void CFusionWidget::slot_showInfoAbout() {
    // made when first asked for: most days nobody opens it
    if (!pAboutWindow)
        pAboutWindow = new (std::nothrow) CAboutWindow(this);
    if (pAboutWindow)
        pAboutWindow->show();
}

QList<int> CFusionWidget::chosenMethods() const {
    QList<int> lst;
    if (pMethodsSet)
        pMethodsSet->selectedIndexes(lst);
    return lst;
}

// Organisations: the customer item offers their names, the grounds item the
// grounds of the chosen one.

QStringList CFusionWidget::organizationNames() const {
    QStringList lst;
    for (const Organization& org : lstOrganizations)
        lst.append(org.sName);
    return lst;
}

int CFusionWidget::organizationIndex(const QString& sName) const {
    for (int i = 0; i < lstOrganizations.size(); ++i) {
        if (lstOrganizations[i].sName == sName)
            return i;
    }
    return -1;
}

void CFusionWidget::slot_orgListItemAdded(const QString& s) {
    lstOrganizations.append(Organization{s, QStringList()});
}

void CFusionWidget::slot_orgListItemDeleted(const QString& s, int index) {
    const int i = organizationIndex(s);
    if (i >= 0)
        lstOrganizations.removeAt(i);
    if (!pReasonItem)
        return;
    QStringList lstGrounds;
    if (index >= 0 && index < lstOrganizations.size() && iCurrentOrg >= 0 &&
        iCurrentOrg < lstOrganizations.size())
        lstGrounds = lstOrganizations[iCurrentOrg].lstGrounds;
    pReasonItem->setChoices(lstGrounds);
    pReasonItem->setValue(QString());
}

void CFusionWidget::slot_orgChanged(int index) {
    if (bApplyingLists)
        return; // the lists offered change, not the customer chosen
    QStringList lstGrounds;
    if (index > 0) {
        iCurrentOrg = index - 1;
        if (iCurrentOrg < lstOrganizations.size())
            lstGrounds = lstOrganizations[iCurrentOrg].lstGrounds;
    } else {
        iCurrentOrg = -1;
    }
    if (!pReasonItem)
        return; // the grounds item is created after the customer item
    pReasonItem->setChoices(lstGrounds);
    pReasonItem->setValue(QString());
}

void CFusionWidget::slot_reasonsListItemAdded(const QString& s) {
    // grounds exist only under an organisation
    if (iCurrentOrg < 0) {
        pReasonItem->deleteCurrentChoice();
        return;
    }
    if (iCurrentOrg < lstOrganizations.size())
        lstOrganizations[iCurrentOrg].lstGrounds.append(s);
}

void CFusionWidget::slot_reasonsListItemDeleted(const QString& s, int) {
    if (iCurrentOrg >= 0 && iCurrentOrg < lstOrganizations.size())
        lstOrganizations[iCurrentOrg].lstGrounds.removeOne(s);
}

void CFusionWidget::syncOrganizations() {
    if (!pCustomerItem || !pReasonItem)
        return;
    pReasonItem->commitValue();
    // committing a customer typed without Enter refills the customer list,
    // which switches the grounds list; the ground the user typed is kept
    const QStringList lstGrounds = pReasonItem->choices();
    const QString sGround = pReasonItem->value();
    pCustomerItem->commitValue();
    pReasonItem->setChoices(lstGrounds);
    pReasonItem->setValue(sGround);
    const QString sCustomer = pCustomerItem->value();
    if (sCustomer.isEmpty())
        return;
    const int i = organizationIndex(sCustomer);
    if (i >= 0)
        lstOrganizations[i].lstGrounds = pReasonItem->choices();
    else
        lstOrganizations.append(Organization{sCustomer, pReasonItem->choices()});
}

void CFusionWidget::applyProtocolDate(const QDate& dt) {
    if (pToolsSection)
        pToolsSection->setProtocolDate(dt);
    for (CConclusion* pConclusion : std::as_const(lstConclusions))
        pConclusion->setProtocolDate(dt);
}
