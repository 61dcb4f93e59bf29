#pragma once

#include <QByteArray>

// Chooses Qt's own event loop over GLib's for the program, before its
// QApplication is made. GLib's loop is woken with a system call for every
// posted event, and every widget made posts one: opening a large protocol
// spent a quarter of its time in those calls. Qt's own loop is woken once
// until it runs. A user who set QT_NO_GLIB keeps his choice.
void chooseQtEventLoop();

// Whether Qt's own loop may run the program on this desktop. The GTK
// platform theme, which Qt loads on GNOME, Xfce, MATE, Cinnamon and Unity
// or when QT_QPA_PLATFORMTHEME names it, shows GTK's file dialogs, and those
// need GLib's loop: without it the second one never closes.
bool qtEventLoopFits(const QByteArray& platformTheme, const QByteArray& currentDesktop);
