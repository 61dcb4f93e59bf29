#include "composer/widgetdialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include <memory>

QMessageBox* CWidgetDialogs::createMessageBox(EIcon eIcon, QWidget* pParent, const QString& sTitle,
                                              const QString& sText, EButtons eButtons,
                                              EButton eDefault) {
    auto pBox = new QMessageBox(QMessageBox::Icon(eIcon), sTitle, sText,
                                QMessageBox::StandardButtons(int(eButtons)), pParent);
    // the messages name files, folders and what the user typed: no markup
    pBox->setTextFormat(Qt::PlainText);
    pBox->setDefaultButton(QMessageBox::StandardButton(eDefault));
    if (eButtons & Cancel)
        pBox->setEscapeButton(QMessageBox::Cancel);
    return pBox;
}

CUserDialogs::EButton CWidgetDialogs::message(EIcon eIcon, QWidget* pParent, const QString& sTitle,
                                              const QString& sText, EButtons eButtons,
                                              EButton eDefault) {
    const std::unique_ptr<QMessageBox> pBox(
        createMessageBox(eIcon, pParent, sTitle, sText, eButtons, eDefault));
    return EButton(pBox->exec());
}

QString CWidgetDialogs::openFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                                     const QString& sFilter) {
    return QFileDialog::getOpenFileName(pParent, sCaption, sDir, sFilter);
}

QString CWidgetDialogs::saveFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                                     const QString& sFilter) {
    return QFileDialog::getSaveFileName(pParent, sCaption, sDir, sFilter);
}

QString CWidgetDialogs::directory(QWidget* pParent, const QString& sCaption, const QString& sDir) {
    return QFileDialog::getExistingDirectory(pParent, sCaption, sDir);
}

int CWidgetDialogs::execDialog(QDialog* pDialog) {
    return pDialog->exec();
}
