#pragma once

#include <QComboBox>
#include <QStringList>

// Combo box filled from a list of texts.
class CComboBoxHeir : public QComboBox {
    Q_OBJECT
public:
    explicit CComboBoxHeir(QWidget* pParent = nullptr) : QComboBox(pParent) {}
    virtual void setItems(const QStringList& list) = 0;
};

// Fixed-choice combo box: offers exactly the list, nothing can be typed.
class CComboBoxClassicHeir : public CComboBoxHeir {
    Q_OBJECT
public:
    CComboBoxClassicHeir(QWidget* pParent, const QStringList& list,
                         const QString& sSelected = QString());
    void setItems(const QStringList& list) override;

private:
    void selectText(const QString& sText);
};

// Editable combo box whose first entry is always blank. The blank entry
// stands for a new text typed by the user; a text entered there becomes a
// new entry and is announced with newStringAdded(). A chosen entry cannot be
// edited in place.
class CComboBoxEditableHeir : public CComboBoxHeir {
    Q_OBJECT
public:
    CComboBoxEditableHeir(QWidget* pParent, const QStringList& list);
    void setItems(const QStringList& list) override;
    const QStringList& entries() const { return lstEntries; }

signals:
    void newStringAdded(const QString& s);

public slots:
    virtual void slot_currentIndexChanged(int index);

private:
    void becomeEditable();

    QStringList lstEntries;
};
