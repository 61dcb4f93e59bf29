#include "base/userdialogs.h"

#include <cstdio>

namespace {
// Without a window to ask in: every message a line on the standard error,
// every question its default answer, nothing chosen.
class CNoDialogs : public CUserDialogs {
public:
    EButton message(EIcon, QWidget*, const QString& sTitle, const QString& sText, EButtons,
                    EButton eDefault) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(sTitle), qPrintable(sText));
        return eDefault == NoButton ? Ok : eDefault;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return QString();
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return QString();
    }
    QString directory(QWidget*, const QString&, const QString&) override { return QString(); }
    int execDialog(QDialog*) override { return 0; }
};

CUserDialogs* g_pInstalled = nullptr;
CUserDialogs* g_pProgram = nullptr;
} // namespace

CUserDialogs::~CUserDialogs() = default;

CUserDialogs& CUserDialogs::get() {
    static CNoDialogs s_none;
    return g_pInstalled ? *g_pInstalled : g_pProgram ? *g_pProgram : s_none;
}

void CUserDialogs::install(CUserDialogs* pDialogs) {
    g_pInstalled = pDialogs;
}

void CUserDialogs::setProgramDialogs(CUserDialogs* pDialogs) {
    g_pProgram = pDialogs;
}

void CUserDialogs::warning(QWidget* pParent, const QString& sTitle, const QString& sText) {
    get().message(Warning, pParent, sTitle, sText, Ok, Ok);
}

void CUserDialogs::critical(QWidget* pParent, const QString& sTitle, const QString& sText) {
    get().message(Critical, pParent, sTitle, sText, Ok, Ok);
}

void CUserDialogs::information(QWidget* pParent, const QString& sTitle, const QString& sText) {
    get().message(Information, pParent, sTitle, sText, Ok, Ok);
}

QString CUserDialogs::linesText(const QStringList& lst) {
    QStringList lstShown = lst.mid(0, iMaxLines);
    if (lst.size() > iMaxLines)
        lstShown << QStringLiteral("и еще %1").arg(lst.size() - iMaxLines);
    return lstShown.join(QLatin1Char('\n'));
}

bool CUserDialogs::confirm(QWidget* pParent, const QString& sTitle, const QString& sText) {
    return question(pParent, sTitle, sText, EButtons(Yes | No), No) == Yes;
}

CUserDialogs::EButton CUserDialogs::question(QWidget* pParent, const QString& sTitle,
                                             const QString& sText, EButtons eButtons,
                                             EButton eDefault) {
    return get().message(Question, pParent, sTitle, sText, eButtons, eDefault);
}
