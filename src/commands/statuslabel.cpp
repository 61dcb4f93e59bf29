#include "commands/statuslabel.h"

#include <QPainter>
#include <QStyle>

CStatusLabel::CStatusLabel(QWidget* pParent) : QLabel(pParent) {
    // the messages name folders and files, which are no markup
    setTextFormat(Qt::PlainText);
}

void CStatusLabel::showParts(const QStringList& lstParts) {
    setText(lstParts.join(QStringLiteral(" · ")));
    QStringList lstEscaped;
    for (const QString& sPart : lstParts)
        lstEscaped << sPart.toHtmlEscaped();
    // one part per line, unwrapped, as a plain tooltip would show them
    setToolTip(lstParts.isEmpty() ? QString()
                                  : QStringLiteral("<p style='white-space:pre'>%1</p>")
                                        .arg(lstEscaped.join(QStringLiteral("<br>"))));
}

QString CStatusLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void CStatusLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                          shownText(), foregroundRole());
}
