#pragma once

class QCoreApplication;

// Loads Qt's own Russian translations ("qtbase_ru" from Qt's translations
// directory), so that the buttons of the questions, the file and print
// dialogs and the calendars speak Russian like the form. Returns false when
// they are not installed; the program then runs with Qt's English texts.
bool installRussianTranslations(QCoreApplication& app);
