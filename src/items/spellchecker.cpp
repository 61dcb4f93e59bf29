#include "items/spellchecker.h"

#include "base/constants.h"
#include "base/savefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>

#include <hunspell.hxx>

namespace {
const QString g_sTermsFile = QStringLiteral(":/vek_conclusion/dictionary/ndt_terms.txt");

std::string toDictionary(const QString& s) {
    return s.toStdString(); // the Russian dictionary is in UTF-8
}

QString fromDictionary(const std::string& s) {
    return QString::fromStdString(s);
}

// The laboratory's terms, each with the forms of its model word.
void addTerms(Hunspell& hunspell) {
    QFile file(g_sTermsFile);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QStringList lstLines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& sLine : lstLines) {
        const QStringList lst = sLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (lst.isEmpty() || lst.first().startsWith(QLatin1Char('#')))
            continue;
        if (lst.size() > 1)
            hunspell.add_with_affix(toDictionary(lst[0]), toDictionary(lst[1]));
        else
            hunspell.add(toDictionary(lst[0]));
    }
}

// The words of a user dictionary; *pProblem says why a file that is there
// could not be read (a file too large for a list of words is not).
QStringList readWords(const QString& sPath, QString* pProblem) {
    pProblem->clear();
    if (!QFile::exists(sPath))
        return {};
    *pProblem = sizeProblem(sPath, g_iMaxSmallFileBytes);
    QFile file(sPath);
    if (pProblem->isEmpty() && !file.open(QIODevice::ReadOnly))
        *pProblem = QStringLiteral("Файл «%1» не читается: %2")
                        .arg(QDir::toNativeSeparators(sPath), file.errorString());
    if (!pProblem->isEmpty())
        return {};
    QStringList lst;
    for (const QString& sLine : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (!sLine.trimmed().isEmpty())
            lst << sLine.trimmed();
    }
    return lst;
}
} // namespace

CSpellChecker::CSpellChecker(const QString& sDictionaryDir, QObject* pParent) : QObject(pParent) {
    const QString sAff = QDir(sDictionaryDir).filePath(QStringLiteral("ru_RU.aff"));
    const QString sDic = QDir(sDictionaryDir).filePath(QStringLiteral("ru_RU.dic"));
    bHasDictionary = QFile::exists(sAff) && QFile::exists(sDic);
    sAffFile = sAff;
    sDicFile = sDic;
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, &CSpellChecker::takeNewWords);
    pollTimer.setInterval(iPollMs);
    connect(&pollTimer, &QTimer::timeout, this, [this] {
        if (QFileInfo(sUserDictionary).lastModified() != dtFileSeen)
            takeNewWords();
    });
}

void CSpellChecker::ensureLoading() {
    if (!bHasDictionary || pHunspell || pLoader)
        return;
    const QString sAff = sAffFile;
    const QString sDic = sDicFile;
    pLoader = QThread::create([this, sAff, sDic] {
        pLoaded = std::make_unique<Hunspell>(QFile::encodeName(sAff).constData(),
                                             QFile::encodeName(sDic).constData());
        addTerms(*pLoaded);
    });
    connect(pLoader, &QThread::finished, this, &CSpellChecker::adopt);
    pLoader->start();
}

CSpellChecker::~CSpellChecker() {
    if (pLoader) {
        pLoader->wait();
        delete pLoader;
    }
}

CSpellChecker& CSpellChecker::shared() {
    static QPointer<CSpellChecker> pShared;
    if (!pShared)
        pShared = new CSpellChecker(sSystemDictionaryDir, QCoreApplication::instance());
    return *pShared;
}

void CSpellChecker::adopt() {
    pLoader->deleteLater();
    pLoader = nullptr;
    pHunspell = std::move(pLoaded);
    for (const QString& sWord : std::as_const(lstUserWords))
        teach(sWord);
    hashKnown.clear();
    emit dictionaryChanged();
}

void CSpellChecker::teach(const QString& sWord) {
    if (pHunspell)
        pHunspell->add(toDictionary(sWord));
}

void CSpellChecker::setUserDictionary(const QString& sPath) {
    if (!sUserDictionary.isEmpty())
        watcher.removePath(sUserDictionary);
    sUserDictionary = sPath;
    lstUserWords.clear();
    takeNewWords();
    pollTimer.start();
}

void CSpellChecker::takeNewWords() {
    dtFileSeen = QFileInfo(sUserDictionary).lastModified();
    QString sReadProblem;
    const QStringList lstWords = readWords(sUserDictionary, &sReadProblem);
    sProblem = sReadProblem;
    // a file replaced is watched anew
    if (QFileInfo::exists(sUserDictionary) && !watcher.files().contains(sUserDictionary))
        watcher.addPath(sUserDictionary);
    bool bNew = false;
    for (const QString& sWord : lstWords) {
        if (lstUserWords.contains(sWord))
            continue;
        lstUserWords << sWord;
        teach(sWord);
        bNew = true;
    }
    if (!bNew)
        return;
    hashKnown.clear();
    if (pHunspell)
        emit dictionaryChanged();
}

bool CSpellChecker::isChecked(const QString& sWord) {
    static const QRegularExpression reUnchecked(QStringLiteral("[0-9A-Za-z]"));
    if (sWord.contains(reUnchecked))
        return false; // "СС-3", "17Г1С", "UT"
    // "ВИК", "УЗК": an abbreviation, unless it is one capital letter
    return sWord.size() < 2 || sWord != sWord.toUpper();
}

bool CSpellChecker::isCorrect(const QString& sWord) {
    if (!pHunspell || !isChecked(sWord))
        return true;
    auto it = hashKnown.constFind(sWord);
    if (it == hashKnown.constEnd())
        // Hunspell breaks "сварочно-монтажный" at its hyphens itself
        it = hashKnown.insert(sWord, pHunspell->spell(toDictionary(sWord)));
    return it.value();
}

QStringList CSpellChecker::suggestions(const QString& sWord) {
    QStringList lst;
    if (!pHunspell)
        return lst;
    for (const std::string& s : pHunspell->suggest(toDictionary(sWord))) {
        if (lst.size() == iMaxSuggestions)
            break;
        lst << fromDictionary(s);
    }
    return lst;
}

bool CSpellChecker::addWord(const QString& sWord) {
    teach(sWord);
    hashKnown.remove(sWord);
    emit dictionaryChanged();
    if (sUserDictionary.isEmpty()) {
        sProblem = QStringLiteral("словарь слов пользователя не выбран");
        return false;
    }
    if (folderCheck && !(sProblem = folderCheck()).isEmpty())
        return false; // not even a lock goes where the laboratory's folder is missing
    // another workstation may be adding a word to the shared file: one at a
    // time, each adding to what the file holds then; a file that cannot be
    // read is never written over
    QLockFile lock(sUserDictionary + QStringLiteral(".lock"));
    lock.setStaleLockTime(iStaleLockMs);
    if (!lock.tryLock(iLockWaitMs)) {
        sProblem =
            lock.error() == QLockFile::LockFailedError
                ? QStringLiteral("Файл «%1» занят другой программой")
                      .arg(QDir::toNativeSeparators(sUserDictionary))
                : QStringLiteral("Папка «%1» недоступна для записи")
                      .arg(QDir::toNativeSeparators(QFileInfo(sUserDictionary).absolutePath()));
        return false;
    }
    QStringList lstWords = readWords(sUserDictionary, &sProblem);
    if (!sProblem.isEmpty())
        return false;
    if (!lstWords.contains(sWord))
        lstWords << sWord;
    for (const QString& s : std::as_const(lstWords)) {
        if (!lstUserWords.contains(s))
            teach(s); // a colleague's word, found while adding this one
    }
    lstUserWords = lstWords;
    if (saveFileBytes(sUserDictionary,
                      (lstWords.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8())) {
        dtFileSeen = QFileInfo(sUserDictionary).lastModified();
        if (!watcher.files().contains(sUserDictionary))
            watcher.addPath(sUserDictionary);
        return true;
    }
    sProblem = QStringLiteral("Папка «%1» недоступна для записи")
                   .arg(QDir::toNativeSeparators(QFileInfo(sUserDictionary).absolutePath()));
    return false;
}
