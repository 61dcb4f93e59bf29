#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

// The one seam through which the program asks the user anything modal:
// message boxes, file dialogs and its own small dialogs. The program
// installs the widget implementation (message boxes and file dialogs);
// tests install one that answers from a script, so no test ever waits on a
// modal window. Without either, messages go to the standard error and every
// question takes its default answer.
class CUserDialogs {
public:
    // The icon and buttons of a message, numbered as Qt's message box numbers them.
    enum EIcon { NoIcon = 0, Information = 1, Warning = 2, Critical = 3, Question = 4 };
    enum EButton {
        NoButton = 0x00000000,
        Ok = 0x00000400,
        Save = 0x00000800,
        Open = 0x00002000,
        Yes = 0x00004000,
        No = 0x00010000,
        Close = 0x00200000,
        Cancel = 0x00400000,
        Discard = 0x00800000,
    };
    Q_DECLARE_FLAGS(EButtons, EButton)

    virtual ~CUserDialogs();

    virtual EButton message(EIcon eIcon, QWidget* pParent, const QString& sTitle,
                            const QString& sText, EButtons eButtons, EButton eDefault) = 0;
    virtual QString openFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                                 const QString& sFilter) = 0;
    virtual QString saveFileName(QWidget* pParent, const QString& sCaption, const QString& sDir,
                                 const QString& sFilter) = 0;
    virtual QString directory(QWidget* pParent, const QString& sCaption, const QString& sDir) = 0;
    // Runs a modal dialog (print dialog, print preview, the program's own
    // small forms) and returns its result code (QDialog::Accepted/Rejected).
    virtual int execDialog(QDialog* pDialog) = 0;

    // The implementation in force: the one installed, or the program's own.
    static CUserDialogs& get();
    // Installs pDialogs (not owned) over the program's own; nullptr takes it away.
    static void install(CUserDialogs* pDialogs);
    // The program's own implementation (not owned), in force when none is installed.
    static void setProgramDialogs(CUserDialogs* pDialogs);

    // Shorthands for the common boxes.
    static void warning(QWidget* pParent, const QString& sTitle, const QString& sText);
    static void critical(QWidget* pParent, const QString& sTitle, const QString& sText);
    static void information(QWidget* pParent, const QString& sTitle, const QString& sText);
    // A question before something the user filled in is destroyed: Yes and
    // No, No the default. True when the user answered Yes.
    static bool confirm(QWidget* pParent, const QString& sTitle, const QString& sText);
    static EButton question(QWidget* pParent, const QString& sTitle, const QString& sText,
                            EButtons eButtons = EButtons(Yes | No), EButton eDefault = Yes);
    // A list as a message shows it, a line each: at most iMaxLines, then
    // "и еще N", so that the box stays on the screen however long it is.
    static constexpr int iMaxLines = 10;
    static QString linesText(const QStringList& lst);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(CUserDialogs::EButtons)
