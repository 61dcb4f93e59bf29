#pragma once

#include "base/userdialogs.h"

class QMessageBox;

// The program's own dialogs: Qt's message boxes and file dialogs.
class CWidgetDialogs : public CUserDialogs {
public:
    // The box message() runs: Escape answers Cancel where it is offered.
    static QMessageBox* createMessageBox(EIcon eIcon, QWidget* pParent, const QString& sTitle,
                                         const QString& sText, EButtons eButtons, EButton eDefault);
    EButton message(EIcon eIcon, QWidget* pParent, const QString& sTitle, const QString& sText,
                    EButtons eButtons, EButton eDefault) override;
    QString openFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                         const QString& sFilter) override;
    QString saveFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                         const QString& sFilter) override;
    QString directory(QWidget* pParent, const QString& sCaption, const QString& sDir) override;
    int execDialog(QDialog* pDialog) override;
};
