#pragma once

#include "render/printsetup.h"

#include <QPageLayout>
#include <QString>

// The page set-up chosen last in the print or the preview dialog, kept in
// the settings: the print, the preview, the PDF, the ODT and "--pdf" all
// take it. A setting missing or unsound gives the default page.
QPageLayout storedPageLayout();
void storePageLayout(const QPageLayout& layout);

// What a protocol of the laboratory whose reference folder is
// sReferenceDir is printed with: the page set-up kept, the text laid out at
// iResolution, the folder's statement.
SPrintSetup printSetup(const QString& sReferenceDir, int iResolution);
