#pragma once

#include <QMessageBox>
#include <QString>

class QDialog;
class QWidget;

// The one seam through which the program asks the user anything modal:
// message boxes, file dialogs and its own small dialogs. The program uses
// the QMessageBox/QFileDialog implementation; tests install one that
// answers from a script, so no test ever waits on a modal window.
class CUserDialogs {
public:
    virtual ~CUserDialogs();

    virtual QMessageBox::StandardButton message(QMessageBox::Icon eIcon, QWidget* pParent,
                                                const QString& sTitle, const QString& sText,
                                                QMessageBox::StandardButtons eButtons,
                                                QMessageBox::StandardButton eDefault) = 0;
    virtual QString openFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                                 const QString& sFilter) = 0;
    virtual QString saveFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                                 const QString& sFilter) = 0;
    virtual QString directory(QWidget* pParent, const QString& sCaption, const QString& sDir) = 0;
    // Runs a modal dialog (print dialog, print preview, the program's own
    // small forms) and returns its result code (QDialog::Accepted/Rejected).
    virtual int execDialog(QDialog* pDialog) = 0;

    // The implementation in force; the widget one unless a test installed its own.
    static CUserDialogs& get();
    // Installs pDialogs (not owned); nullptr restores the widget implementation.
    static void install(CUserDialogs* pDialogs);

    // Shorthands for the common boxes.
    static void warning(QWidget* pParent, const QString& sTitle, const QString& sText);
    static void critical(QWidget* pParent, const QString& sTitle, const QString& sText);
    static void information(QWidget* pParent, const QString& sTitle, const QString& sText);
    // A question before something the user filled in is destroyed: Yes and
    // No, No the default. True when the user answered Yes.
    static bool confirm(QWidget* pParent, const QString& sTitle, const QString& sText);
    static QMessageBox::StandardButton
    question(QWidget* pParent, const QString& sTitle, const QString& sText,
             QMessageBox::StandardButtons eButtons = QMessageBox::Yes | QMessageBox::No,
             QMessageBox::StandardButton eDefault = QMessageBox::Yes);
};

// The real thing: QMessageBox and QFileDialog.
class CWidgetDialogs : public CUserDialogs {
public:
    // The box message() runs: Escape answers Cancel where it is offered.
    static QMessageBox* createMessageBox(QMessageBox::Icon eIcon, QWidget* pParent,
                                         const QString& sTitle, const QString& sText,
                                         QMessageBox::StandardButtons eButtons,
                                         QMessageBox::StandardButton eDefault);
    QMessageBox::StandardButton message(QMessageBox::Icon eIcon, QWidget* pParent,
                                        const QString& sTitle, const QString& sText,
                                        QMessageBox::StandardButtons eButtons,
                                        QMessageBox::StandardButton eDefault) override;
    QString openFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                         const QString& sFilter) override;
    QString saveFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                         const QString& sFilter) override;
    QString directory(QWidget* pParent, const QString& sCaption, const QString& sDir) override;
    int execDialog(QDialog* pDialog) override;
};
