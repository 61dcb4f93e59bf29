#pragma once

#include "items/reportitemwidget.h"

#include <QList>
#include <QRect>
#include <QStringList>

class QComboBox;
class QLabel;
class QToolButton;

// A numbered section holding a list of values, each in its own small editor
// (a sub-item) placed after the caption, side by side and wrapping onto
// further lines 40 pixels apart. "+" adds a sub-item at the end, "-"
// removes the last one; every change of height is announced with
// widgetHeightChanged() so that the owner re-stacks the form. A concrete
// section always keeps at least one sub-item.
class CExtItem : public CReportItemWidget {
    Q_OBJECT
public:
    CExtItem(QWidget* pParent, int iNum, const QString& sName);
    ~CExtItem() override;

    void setNumber(int iNum) override;
    void setName(const QString& sName) override;

    // Fills out with the printable text of every sub-item; returns their number.
    virtual int collectTexts(QStringList& out) = 0;

    int subItemCount() const { return lstSubItems.size(); }
    const QList<QWidget*>& subItems() const { return lstSubItems; }

    // The most sub-items a section holds and a stored list makes: what is
    // saved reads back whole, and a damaged document cannot flood the form.
    static constexpr int iMaxStoredSubItems = 100;

signals:
    void widgetHeightChanged();
    // The new number of sub-items.
    void listItemsWidgetChanged(int iCount);

public slots:
    void slot_addItemWidget();
    void slot_deleteItemWidget();

protected:
    // Whether the user's "-" may remove the last sub-item; a section whose
    // last sub-item carries more than itself asks first.
    virtual bool mayDeleteLastSubItem() { return true; }
    // "+" is offered while a saved section would read back whole.
    void updateAddButton();

    // Creates, places and appends one sub-item.
    virtual void addSubItem() {}
    // Starts a concrete list section with its one sub-item; called by the
    // subclass constructors, once addSubItem can reach their own version.
    void addFirstSubItem();
    // Disposes of a sub-item already taken out of the list.
    virtual void destroySubItem(QWidget* /*w*/) {}

    // The place of one sub-item after prev (an empty rectangle: after the
    // caption); the last one keeps room for the buttons after it.
    QRect placeNext(bool isLast, const QRect& prev) const;
    // Places caption, sub-items and buttons; returns the height needed.
    int layOutSubItems();
    // Lays out and takes the height needed, announcing a change.
    void updateHeight();
    // Places w as the new last sub-item after the current last one, grows the
    // section if needed and appends w.
    void appendPlacedSubItem(QWidget* w);
    // Adds or removes sub-items at the end, as "+" and "-" do, until there
    // are iCount of them (at most iMaxStoredSubItems).
    void matchSubItemCount(int iCount);

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

    QLabel* lbl_num;
    QLabel* lbl_name;
    QToolButton* btn_add;
    QToolButton* btn_delete;
    QToolButton* btn_deleteItem;

    int iCaptionWidth = 0;
    int iSubItemWidth = 120;
    int iSubItemHeight = 30;
    QList<QWidget*> lstSubItems;

private:
    void moveButtonsAfter(const QRect& rect);

    bool bHeightCheckQueued = false;
};

// A list section whose sub-items are combo boxes sharing one list of choices.
class CExtStrSet : public CExtItem {
    Q_OBJECT
public:
    // The subclass constructors apply the list with setChoices.
    CExtStrSet(QWidget* pParent, int iNum, const QString& sName, const QStringList& list);

    // The current text of every sub-item, empty texts included.
    int collectTexts(QStringList& out) override;
    QStringList currentTexts() const;

    void setChoices(const QStringList& list);
    // Appends the non-empty entries of list that are not offered yet.
    void addChoices(const QStringList& list);
    QStringList choices() const { return lstChoices; }
    // Makes as many sub-items as list has texts (nothing for an empty list)
    // and selects text i in sub-item i where it is an entry; a sub-item
    // whose text is no entry keeps its choice.
    void setSelectedTexts(const QStringList& list);

protected:
    void addSubItem() override = 0;
    void destroySubItem(QWidget* w) override = 0;
    // Gives every sub-item the current choices.
    virtual void refillSubItems() = 0;

    QComboBox* subCombo(int i) const;
    // Width of a sub-item that shows the longest choice.
    int subItemWidthFor(const QStringList& list) const;

    QStringList lstChoices;
};
