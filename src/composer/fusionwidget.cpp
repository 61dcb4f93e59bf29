#include "composer/fusionwidget.h"

CFusionWidget::CFusionWidget(const QString& sAppDir, QWidget* pParent) : QWidget(pParent) {
    Q_UNUSED(sAppDir);
}
