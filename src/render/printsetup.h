#pragma once

#include <QPageLayout>
#include <QString>

// The page a protocol is printed on when nobody chose another: A4 in
// landscape, with the margins of Qt's own print.
QPageLayout defaultPageLayout();

// What a print is made with besides the protocol: the page set-up chosen
// in the print dialogs, the resolution its text is laid out at, and the
// laboratory's statement that ends every protocol (none when empty). The
// print, the preview, the PDF and the ODT all take it, so that every copy
// is the same protocol.
struct SPrintSetup {
    QPageLayout layout = defaultPageLayout();
    int iResolution = 96;
    QString sStatement;
};
