#pragma once

#include "base/userdialogs.h"

#include <QList>
#include <QStringList>
#include <functional>

// Dialog seam for tests: installs itself while it lives, records every
// message shown and answers from scripted queues. An empty queue answers
// the default button, an empty file name, or a rejected dialog.
class CScriptedDialogs : public CUserDialogs {
public:
    struct Message {
        CUserDialogs::EIcon eIcon;
        QString sTitle;
        QString sText;
    };
    struct FileRequest {
        bool bSave;
        QString sCaption;
        QString sDir;
        QString sFilter;
    };

    CScriptedDialogs();
    ~CScriptedDialogs() override;

    QList<CUserDialogs::EButton> lstAnswers; // next message box answers
    // What happens while the next message boxes are open, before they are
    // answered: another workstation's change, say.
    QList<std::function<void()>> lstWhileOpen;
    QStringList lstFileNames;                             // next file dialog answers
    QList<std::function<int(QDialog*)>> lstDialogActions; // next execDialog handlers

    QList<Message> lstMessages; // everything shown, in order
    QList<FileRequest> lstFileRequests;
    QStringList lstDialogClasses; // class names of the dialogs run

    CUserDialogs::EButton message(CUserDialogs::EIcon eIcon, QWidget* pParent,
                                  const QString& sTitle, const QString& sText,
                                  CUserDialogs::EButtons eButtons,
                                  CUserDialogs::EButton eDefault) override;
    QString openFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                         const QString& sFilter) override;
    QString saveFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                         const QString& sFilter) override;
    QString directory(QWidget* pParent, const QString& sCaption, const QString& sDir) override;
    int execDialog(QDialog* pDialog) override;

    // The texts of the messages shown so far.
    QStringList texts() const;
};
