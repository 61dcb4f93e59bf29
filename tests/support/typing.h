#pragma once

#include <QString>

class QWidget;

// Types sText into pWidget key by key, as a user does. Unlike
// QTest::keyClicks it handles any Unicode text (Cyrillic included).
void typeText(QWidget* pWidget, const QString& sText);
