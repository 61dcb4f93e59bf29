#include "base/userdialogs.h"

#include <QDialog>
#include <QFileDialog>

#include <memory>

namespace {
CUserDialogs* g_pInstalled = nullptr;

CUserDialogs& widgetDialogs() {
    static CWidgetDialogs s_dialogs;
    return s_dialogs;
}
} // namespace

CUserDialogs::~CUserDialogs() = default;

CUserDialogs& CUserDialogs::get() {
    return g_pInstalled ? *g_pInstalled : widgetDialogs();
}

void CUserDialogs::install(CUserDialogs* pDialogs) {
    g_pInstalled = pDialogs;
}

void CUserDialogs::warning(QWidget* pParent, const QString& sTitle, const QString& sText) {
    get().message(QMessageBox::Warning, pParent, sTitle, sText, QMessageBox::Ok, QMessageBox::Ok);
}

void CUserDialogs::critical(QWidget* pParent, const QString& sTitle, const QString& sText) {
    get().message(QMessageBox::Critical, pParent, sTitle, sText, QMessageBox::Ok, QMessageBox::Ok);
}

void CUserDialogs::information(QWidget* pParent, const QString& sTitle, const QString& sText) {
    get().message(QMessageBox::Information, pParent, sTitle, sText, QMessageBox::Ok,
                  QMessageBox::Ok);
}

bool CUserDialogs::confirm(QWidget* pParent, const QString& sTitle, const QString& sText) {
    return question(pParent, sTitle, sText, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

QMessageBox::StandardButton CUserDialogs::question(QWidget* pParent, const QString& sTitle,
                                                   const QString& sText,
                                                   QMessageBox::StandardButtons eButtons,
                                                   QMessageBox::StandardButton eDefault) {
    return get().message(QMessageBox::Question, pParent, sTitle, sText, eButtons, eDefault);
}

QMessageBox* CWidgetDialogs::createMessageBox(QMessageBox::Icon eIcon, QWidget* pParent,
                                              const QString& sTitle, const QString& sText,
                                              QMessageBox::StandardButtons eButtons,
                                              QMessageBox::StandardButton eDefault) {
    auto pBox = new QMessageBox(eIcon, sTitle, sText, eButtons, pParent);
    pBox->setDefaultButton(eDefault);
    if (eButtons & QMessageBox::Cancel)
        pBox->setEscapeButton(QMessageBox::Cancel);
    return pBox;
}

QMessageBox::StandardButton CWidgetDialogs::message(QMessageBox::Icon eIcon, QWidget* pParent,
                                                    const QString& sTitle, const QString& sText,
                                                    QMessageBox::StandardButtons eButtons,
                                                    QMessageBox::StandardButton eDefault) {
    const std::unique_ptr<QMessageBox> pBox(
        createMessageBox(eIcon, pParent, sTitle, sText, eButtons, eDefault));
    return static_cast<QMessageBox::StandardButton>(pBox->exec());
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
