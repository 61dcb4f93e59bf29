#pragma once

// Chooses Qt's own event loop over GLib's for the program, before its
// QApplication is made. GLib's loop is woken with a system call for every
// posted event, and every widget made posts one: opening a large protocol
// spent a quarter of its time in those calls. Qt's own loop is woken once
// until it runs. A user who set QT_NO_GLIB keeps his choice.
void chooseQtEventLoop();
