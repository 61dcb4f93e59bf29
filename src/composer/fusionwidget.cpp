#include "composer/fusionwidget.h"

#include "app/constants.h"
#include "app/userdialogs.h"
#include "composer/methodvocabulary.h"
#include "items/stditem.h"
#include "items/wdtseparator.h"

#include <QDate>
#include <QPrinter>
#include <QResizeEvent>
#include <new>

CFusionWidget::CFusionWidget(const QString& sAppDir, QWidget* pParent)
    : QWidget(pParent), sAppDir(sAppDir) {
    sCustomerCaption = QStringLiteral("Заказчик:");
    sReasonCaption = QStringLiteral("Основание для проведения контроля:");
    sStandardsCaption = QStringLiteral("Контроль выполнен согласно:");
    sAssessmentCaption = QStringLiteral("Оценка качества работ:");

    lstMethodsNominative = methodsNominative();
    lstMethodsInstrumental = methodsInstrumental();
    lstMethodsGenitive = methodsGenitive();
    lstMethodsDative = methodsDative();

    sWorkDir = sAppDir;

    if (!createSections()) {
        CUserDialogs::critical(this, g_sCriticalTitle, g_sMemoryExhausted);
        return;
    }
    slot_innerWidgetHeightChanged();
    pPrinter = new QPrinter(QPrinter::ScreenResolution);
    pPrinter->setPageOrientation(QPageLayout::Landscape);
    setVisible(true);
    takeSnapshot();
}

CFusionWidget::~CFusionWidget() { delete pPrinter; }

void CFusionWidget::appendSection(QWidget* pSection) { lstSections.append(pSection); }

bool CFusionWidget::createSections() {
    struct StdRow {
        const char* pCaption;
        int iNum;
        int iFactor;
    };
    auto add = [this](QWidget* pSection) {
        if (!pSection)
            return false;
        appendSection(pSection);
        return true;
    };
    if (!add(new (std::nothrow) CWdtSeparator(this)))
        return false;
    if (!add(new (std::nothrow) CStdItem(this, 0, QStringLiteral("Номер протокола"), QString(),
                                         false, 1)))
        return false;
    const StdRow rows[] = {{"Адрес проведения контроля:", 3, 3},
                           {"Наименование объекта:", 5, 3},
                           {"Объект контроля:", 6, 3},
                           {"Стадия контроля:", 7, 3}};
    for (const StdRow& row : rows) {
        if (!add(new (std::nothrow) CStdItem(this, row.iNum, QString::fromUtf8(row.pCaption),
                                             QString(), false, row.iFactor)))
            return false;
    }
    return true;
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
    const int h = layOutSections();
    setMinimumSize(1000, h);
    resize(width(), h);
}

void CFusionWidget::resizeEvent(QResizeEvent* pEvent) {
    QWidget::resizeEvent(pEvent);
    for (QWidget* pSection : lstSections)
        pSection->resize(pEvent->size().width(), pSection->height());
}

QString CFusionWidget::headerHtml() const { return QString(); }

QString CFusionWidget::customerValue() const { return QString(); }

QList<int> CFusionWidget::chosenMethods() const { return {0}; }

QString CFusionWidget::protocolDateText() const {
    return QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
}

void CFusionWidget::commitSectionLists() {}

void CFusionWidget::writeHeadRecords(QDataStream& out) {
    if (auto pNumber = qobject_cast<CStdItem*>(lstSections.value(3)))
        out << qint16(2) << *pNumber;
}

void CFusionWidget::writeSectionRecord(QDataStream&, QWidget*) {}

void CFusionWidget::writeConclusionRecords(QDataStream& out) { out << qint16(8) << qint32(0); }

bool CFusionWidget::readSectionRecord(QDataStream&, qint16, int) { return false; }

bool CFusionWidget::saveReferenceFiles() { return true; }
