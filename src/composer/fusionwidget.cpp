#include "composer/fusionwidget.h"

#include "base/constants.h"
#include "base/userdialogs.h"
#include "commands/createreport.h"
#include "composer/aboutwindow.h"
#include "composer/documentcontroller.h"
#include "composer/reportheader.h"
#include "document/methodvocabulary.h"
#include "document/protocolmodel.h"
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
#include "storage/referencelists.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDate>
#include <QDateTimeEdit>
#include <QLabel>
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
    pLists = &pController->lists();
    pModel = &pController->model();
    connect(pLists, &CReferenceLists::listsChanged, this, &CFusionWidget::showLists);
    if (!createSections()) {
        CUserDialogs::critical(this, g_sCriticalTitle, g_sMemoryExhausted);
        return;
    }
    if (!CSpellChecker::shared().hasDictionary())
        showStatus(CCreateReport::EStatus::Spelling,
                   QStringLiteral("Проверка орфографии отключена: нет русского словаря "
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
    // the window wires its commands to the document session; the form
    // adds the items the user asks for
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

    auto pStandards = addSection(new (std::nothrow)
                                     CEditableSet(this, 8, sStandardsCaption, pLists->standards()));
    if (!pStandards)
        return false;
    connectHeight(pStandards);
    connectRows(pStandards);
    connect(pStandards, &CEditableSet::choiceAdded, pLists, &CReferenceLists::addStandard);
    connect(pStandards, &CEditableSet::choiceDeleted, pLists, &CReferenceLists::deleteStandard);
    auto pAssessments = addSection(
        new (std::nothrow) CEditableSet(this, 9, sAssessmentCaption, pLists->assessments()));
    if (!pAssessments)
        return false;
    connectHeight(pAssessments);
    connectRows(pAssessments);
    connect(pAssessments, &CEditableSet::choiceAdded, pLists, &CReferenceLists::addAssessment);
    connect(pAssessments, &CEditableSet::choiceDeleted, pLists, &CReferenceLists::deleteAssessment);

    pToolsSection =
        addSection(new (std::nothrow) CMeasuringTool(10, Caption::sTools, pLists, this));
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
        // an issued protocol says so under the command bar
        if (pSection == lstSections.first() && lbl_issued && lbl_issued->isVisibleTo(this)) {
            const int h = lbl_issued->heightForWidth(width() - 20);
            lbl_issued->setGeometry(10, y, width() - 20, h);
            y += h + 10;
        }
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
    queueSync(nullptr); // sections came or went, or grew: numbers may have moved
}

void CFusionWidget::slot_contentEdited() {
    queueSync(sectionOf(sender()));
}

QWidget* CFusionWidget::sectionOf(const QObject* pObject) const {
    while (pObject && pObject->parent() != this)
        pObject = pObject->parent();
    auto pSection = qobject_cast<QWidget*>(const_cast<QObject*>(pObject));
    return lstSections.contains(pSection) ? pSection : nullptr;
}

void CFusionWidget::queueSync(QWidget* pSection) {
    if (!pSection)
        bAllEdited = true;
    else if (!lstEdited.contains(pSection))
        lstEdited.append(pSection);
    // many edits in one turn of the event loop reach the model once, after it
    if (std::exchange(bEditCheckQueued, true))
        return;
    QMetaObject::invokeMethod(this, &CFusionWidget::syncModel, Qt::QueuedConnection);
}

void CFusionWidget::syncModel() {
    bEditCheckQueued = false;
    const bool bAll = std::exchange(bAllEdited, false);
    const QList<QWidget*> lstSectionsEdited = std::exchange(lstEdited, {});
    if (!pModel || bReadingDocument)
        return;
    const ProtocolDocument& current = pModel->document();
    // the model's document has the form's shape: a section's record has its place
    const qsizetype iRecords = current.lstRecords.size();
    const bool bShaped =
        iRecords >= 2 &&
        std::holds_alternative<ConclusionsRecord>(current.lstRecords[iRecords - 2]) &&
        std::holds_alternative<UserItemsRecord>(current.lstRecords[iRecords - 1]);
    if (bAll || !bShaped) {
        pModel->setDocument(document());
        return;
    }
    for (QWidget* pSection : lstSectionsEdited) {
        if (!lstSections.contains(pSection))
            continue; // gone meanwhile: its going was a change of shape
        if (auto pConclusion = qobject_cast<CConclusion*>(pSection)) {
            ConclusionsRecord record =
                std::get<ConclusionsRecord>(current.lstRecords[iRecords - 2]);
            const int i = int(lstConclusions.indexOf(pConclusion));
            if (i < 0 || i >= record.lstConclusions.size()) {
                pModel->setDocument(document());
                return;
            }
            record.lstConclusions[i] = pConclusion->record();
            pModel->setRecord(iRecords - 2, record);
        } else if (lstUserItems.contains(qobject_cast<CStdItem*>(pSection))) {
            UserItemsRecord record;
            for (const CStdItem* pItem : std::as_const(lstUserItems))
                record.lstItems.append(pItem->record());
            pModel->setRecord(iRecords - 1, record);
        } else {
            const int i = recordIndexOf(pSection);
            if (i < 0 || i >= iRecords - 2) {
                pModel->setDocument(document());
                return;
            }
            pModel->setRecord(i, recordOf(pSection));
        }
    }
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
    return pLists->organizationNames();
}

void CFusionWidget::slot_orgListItemAdded(const QString& s) {
    pLists->addOrganization(s);
}

void CFusionWidget::slot_orgListItemDeleted(const QString& s, int) {
    pLists->deleteOrganization(s);
    if (!pReasonItem)
        return;
    pReasonItem->setChoices(groundsOffered());
    pReasonItem->setValue(QString());
}

void CFusionWidget::slot_orgChanged(int) {
    if (bApplyingLists)
        return; // the lists offered change, not the customer chosen
    if (!pReasonItem)
        return; // the grounds item is created after the customer item
    pReasonItem->setChoices(groundsOffered());
    pReasonItem->setValue(QString());
}

void CFusionWidget::slot_reasonsListItemAdded(const QString& s) {
    // grounds exist only under a customer of the list
    const Organization* pOrganization = shownOrganization();
    if (!pOrganization) {
        pReasonItem->deleteCurrentChoice();
        return;
    }
    pLists->addGround(pOrganization->sName, s);
}

void CFusionWidget::slot_reasonsListItemDeleted(const QString& s, int) {
    if (const Organization* pOrganization = shownOrganization())
        pLists->deleteGround(pOrganization->sName, s);
}

void CFusionWidget::commitChoices() {
    if (!pCustomerItem || !pReasonItem)
        return;
    pReasonItem->commitValue();
    // committing a customer typed without Enter refills the customer box,
    // which switches the grounds offered; the ground the user typed is kept
    const QStringList lstGrounds = pReasonItem->choices();
    const QString sGround = pReasonItem->value();
    bApplyingLists = true;
    pCustomerItem->commitValue();
    bApplyingLists = false;
    pReasonItem->setChoices(lstGrounds);
    pReasonItem->setValue(sGround);
}

void CFusionWidget::applyProtocolDate(const QDate& dt) {
    if (pToolsSection)
        pToolsSection->setProtocolDate(dt);
    for (CConclusion* pConclusion : std::as_const(lstConclusions))
        pConclusion->setProtocolDate(dt);
}
