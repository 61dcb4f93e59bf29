#pragma once

#include <QString>
#include <QWidget>

// A numbered section of the protocol: a number (0 = no number shown and
// nothing printed) and a caption, by which the composer finds the section.
class CReportItemWidget : public QWidget {
    Q_OBJECT
public:
    explicit CReportItemWidget(QWidget* pParent = nullptr) : QWidget(pParent) {}

    virtual void setNumber(int iNum) = 0;
    virtual void setName(const QString& sName) = 0;

    int number() const { return iNumber; }
    QString name() const { return sItemName; }

protected:
    int iNumber = 0;
    QString sItemName;
};

// Width of a label or editor sized to its text: the text width plus 20,
// rounded up to a multiple of 10, no less than iLower and no more than the
// widget's maximum width. An empty text gives iLower.
int fitTextWidth(const QWidget* pWidget, const QString& sText, int iLower);

// Rounds iWidth up to the next multiple of 10.
int roundUpToTen(int iWidth);

// Sets the point size of the font of pWidget.
void setPointSize(QWidget* pWidget, int iPointSize);

class QLabel;

// Names a control of a small dialog, places it and fixes it to its size,
// in the 12-point font.
void placeFixed(QWidget* pWidget, const QString& sName, int x, int y, int w, int h);

// Sets up a one-line section of the form: 1000 × 30 at least, as wide as the
// form, 30 pixels high, 12-point font; sObjectName unless it is named.
void setUpLineForm(QWidget* pForm, const QString& sObjectName);
// The number label "lbl_num" of a numbered section: 40 × 30 at (0, 0), centred.
QLabel* createNumberLabel(QWidget* pParent);
// The caption label "lbl_name": 300 × 30 at (50, 0), 200 to iMaxWidth wide, centred.
QLabel* createNameLabel(QWidget* pParent, int iMaxWidth);
