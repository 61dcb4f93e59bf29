#include "support/scripteddialogs.h"

#include <QDialog>

CScriptedDialogs::CScriptedDialogs() {
    CUserDialogs::install(this);
}

CScriptedDialogs::~CScriptedDialogs() {
    CUserDialogs::install(nullptr);
}

CUserDialogs::EButton CScriptedDialogs::message(CUserDialogs::EIcon eIcon, QWidget*,
                                                const QString& sTitle, const QString& sText,
                                                CUserDialogs::EButtons,
                                                CUserDialogs::EButton eDefault) {
    lstMessages.append({eIcon, sTitle, sText});
    if (!lstWhileOpen.isEmpty())
        lstWhileOpen.takeFirst()();
    if (!lstAnswers.isEmpty())
        return lstAnswers.takeFirst();
    return eDefault == CUserDialogs::NoButton ? CUserDialogs::Ok : eDefault;
}

QString CScriptedDialogs::openFileName(QWidget*, const QString& sCaption, const QString& sDir,
                                       const QString& sFilter) {
    lstFileRequests.append({false, sCaption, sDir, sFilter});
    return lstFileNames.isEmpty() ? QString() : lstFileNames.takeFirst();
}

QString CScriptedDialogs::saveFileName(QWidget*, const QString& sCaption, const QString& sDir,
                                       const QString& sFilter) {
    lstFileRequests.append({true, sCaption, sDir, sFilter});
    return lstFileNames.isEmpty() ? QString() : lstFileNames.takeFirst();
}

QString CScriptedDialogs::directory(QWidget*, const QString& sCaption, const QString& sDir) {
    lstFileRequests.append({false, sCaption, sDir, QString()});
    return lstFileNames.isEmpty() ? QString() : lstFileNames.takeFirst();
}

int CScriptedDialogs::execDialog(QDialog* pDialog) {
    lstDialogClasses.append(QString::fromLatin1(pDialog->metaObject()->className()));
    if (lstDialogActions.isEmpty())
        return QDialog::Rejected;
    return lstDialogActions.takeFirst()(pDialog);
}

QStringList CScriptedDialogs::texts() const {
    QStringList lst;
    for (const Message& m : lstMessages)
        lst.append(m.sText);
    return lst;
}
