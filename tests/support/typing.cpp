#include "support/typing.h"

#include <QtTest>

void typeText(QWidget* pWidget, const QString& sText) {
    for (const QChar ch : sText) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(pWidget, ch.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::KeyAction::Press, pWidget, Qt::Key_unknown, QString(ch),
                                Qt::NoModifier);
            QTest::sendKeyEvent(QTest::KeyAction::Release, pWidget, Qt::Key_unknown, QString(ch),
                                Qt::NoModifier);
        }
    }
}
