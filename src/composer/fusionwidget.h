#pragma once

#include <QWidget>

class CFusionWidget : public QWidget {
    Q_OBJECT
public:
    explicit CFusionWidget(const QString& sAppDir, QWidget* pParent = nullptr);
};
