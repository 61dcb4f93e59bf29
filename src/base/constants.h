#pragma once

#include <QDate>
#include <QSize>
#include <QString>

// Values every part of the program shares.

// Title of the main window and of the close-time question.
inline const QString g_sAppTitle = QStringLiteral("Подготовка отчета");
// Version shown in the About window.
inline const QString g_sVersion = QStringLiteral(NDT_VERSION);
// A date field holding this date is "not set" and shows "__.__.____".
inline const QDate g_dtDefault = QDate(2000, 1, 1);
// Text a date editor shows for the unset date.
inline const QString g_sUnsetDateText = QStringLiteral("__.__.____");
// Letters with which the instruments section letters its entries.
inline const QString g_sLetters = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
// Bounds of a sub-item row of the list items.
inline const QSize g_szEditorMin = QSize(300, 30);
inline const QSize g_szEditorMax = QSize(750, 30);

// The question before an entry of a reference list is deleted (%1 the entry).
inline const QString g_sDeleteReferenceTitle = QStringLiteral("Удаление из справочника");
inline const QString g_sDeleteReferenceQuestion = QStringLiteral("Удалить «%1» из справочника?");
// The tooltip of a button that deletes the entry shown from a reference list.
inline const QString g_sDeleteReferenceTip = QStringLiteral("Удалить «%1» из справочника");

// Title of the messages about the reference files of the laboratory.
inline const QString g_sReferenceTitle = QStringLiteral("Справочные файлы");

// Texts of the out-of-memory report.
inline const QString g_sCriticalTitle = QStringLiteral("КРИТИЧЕСКАЯ ОШИБКА!!!");
inline const QString g_sMemoryExhausted = QStringLiteral("Память исчерпана!");

// The largest protocol document opened (a protocol of nine methods with
// tables of 200 rows takes about 2 MB), and the largest laboratory header or
// list of added words: a larger file is refused before it is read.
inline constexpr qint64 g_iMaxDocumentBytes = 64 * 1024 * 1024;
inline constexpr qint64 g_iMaxSmallFileBytes = 4 * 1024 * 1024;
// Why such a file was not read: %1 the file, %2 its size, %3 the limit (MB).
inline const QString g_sFileTooLarge =
    QStringLiteral("Файл «%1» слишком велик (%2 МБ, допускается не более %3 МБ) и не прочитан.");
// g_sFileTooLarge when the file at sPath is larger than iLimit bytes;
// empty when it is not (or is not there).
QString sizeProblem(const QString& sPath, qint64 iLimit);
