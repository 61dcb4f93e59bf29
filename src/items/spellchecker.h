#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class Hunspell;
class QThread;

// Russian spelling through Hunspell, with the laboratory's terms and the
// words the users added. The dictionary is read in a thread of its own (it
// takes a quarter of a second and 17 MB) when a text first needs it: until
// it is there, every word passes.
class CSpellChecker : public QObject {
    Q_OBJECT
public:
    // Where Debian's hunspell-ru keeps ru_RU.aff and ru_RU.dic.
    static inline const QString sSystemDictionaryDir = QStringLiteral("/usr/share/hunspell");
    // Adding a word waits this long for another program adding one to the
    // shared file; a lock older than iStaleLockMs is a dead program's.
    static constexpr int iLockWaitMs = 2000;
    static constexpr int iStaleLockMs = 30000;
    static constexpr int iMaxSuggestions = 5;
    // Words a colleague added to a shared file on another computer, which
    // sends no notice of it, are looked for this often.
    static constexpr int iPollMs = 2000;

    explicit CSpellChecker(const QString& sDictionaryDir, QObject* pParent = nullptr);
    ~CSpellChecker() override;

    // The checker of the program's texts.
    static CSpellChecker& shared();

    // Whether the Russian dictionary exists; without it nothing is checked.
    bool hasDictionary() const { return bHasDictionary; }
    // Whether the dictionary has been read and words are being checked.
    bool isReady() const { return pHunspell != nullptr; }
    // Starts reading the dictionary, unless it is read or being read.
    void ensureLoading();

    // Words the users added: read from sPath (UTF-8, one a line), and
    // written there by addWord.
    void setUserDictionary(const QString& sPath);
    QString userDictionary() const { return sUserDictionary; }
    // Says why the user dictionary's folder must not be written now (a
    // share away); empty when it may.
    void setFolderCheck(std::function<QString()> check) { folderCheck = std::move(check); }
    // Why the user dictionary was not read, or the last word not written;
    // empty when it was.
    QString problem() const { return sProblem; }
    // False when the word is to be marked. Words not checked (numbers,
    // words with digits or Latin letters, abbreviations in capitals) pass.
    bool isCorrect(const QString& sWord);
    QStringList suggestions(const QString& sWord);
    // Known from now on, and kept in the user dictionary; false when the
    // file could not be written (the word is known until the program ends).
    bool addWord(const QString& sWord);

    // Whether a word is one the spelling of which is looked at at all.
    static bool isChecked(const QString& sWord);

signals:
    // Words known or unknown changed: texts are to be looked at again.
    void dictionaryChanged();

private:
    // The dictionary read: from now on words are checked.
    void adopt();
    void teach(const QString& sWord);
    // Another program added words to the file: they are known here too.
    void takeNewWords();

    bool bHasDictionary = false;
    std::function<QString()> folderCheck;
    QString sAffFile;
    QString sDicFile;
    std::unique_ptr<Hunspell> pHunspell;
    // Written by the loading thread, taken over once it has finished.
    std::unique_ptr<Hunspell> pLoaded;
    QThread* pLoader = nullptr;
    QString sUserDictionary;
    QString sProblem;
    QStringList lstUserWords;
    // Words looked up already: a keystroke re-checks its whole paragraph.
    QHash<QString, bool> hashKnown;
    QFileSystemWatcher watcher;
    QTimer pollTimer;
    QDateTime dtFileSeen;
};
