#include "composer/settingsdialog.h"

#include "base/userdialogs.h"
#include "storage/labstatement.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryFile>
#include <QThread>
#include <QToolButton>

#include <memory>

namespace {
// The rows of the journal's server, under the folder's row.
enum EJournalRow {
    eRowJournal = 1,
    eRowHost,
    eRowPort,
    eRowDatabase,
    eRowUser,
    eRowJournalPlace,
    eRowStatement,
    eRowArchive,
    eRowButtons
};

QLineEdit* addServerLine(QGridLayout* pLayout, int iRow, const QString& sCaption,
                         const QString& sName, const QString& sText) {
    auto pParent = pLayout->parentWidget();
    pLayout->addWidget(new QLabel(sCaption, pParent), iRow, 0);
    auto pEdit = new QLineEdit(sText, pParent);
    pEdit->setObjectName(sName);
    pLayout->addWidget(pEdit, iRow, 1, 1, 3);
    return pEdit;
}
} // namespace

CSettingsDialog::CSettingsDialog(const QString& sFolder, const SJournalPlace& place,
                                 const QString& sDefaultFolder, QWidget* pParent)
    : QDialog(pParent), sDefaultFolder(sDefaultFolder) {
    setObjectName(QStringLiteral("CSettingsDialog"));
    setWindowTitle(QStringLiteral("Настройки"));
    auto pLayout = new QGridLayout(this);
    pLayout->addWidget(new QLabel(QStringLiteral("Папка справочников"), this), 0, 0);
    edt_folder = new QLineEdit(QDir::toNativeSeparators(sFolder), this);
    edt_folder->setObjectName(QStringLiteral("edt_folder"));
    edt_folder->setMinimumWidth(400);
    edt_folder->setPlaceholderText(QStringLiteral("по умолчанию"));
    pLayout->addWidget(edt_folder, 0, 1);
    auto btn_browse = new QToolButton(this);
    btn_browse->setObjectName(QStringLiteral("btn_browse"));
    btn_browse->setText(QStringLiteral("…"));
    btn_browse->setToolTip(QStringLiteral("Выбрать папку"));
    pLayout->addWidget(btn_browse, 0, 2);
    auto btn_default = new QPushButton(QStringLiteral("По умолчанию"), this);
    btn_default->setObjectName(QStringLiteral("btn_default"));
    pLayout->addWidget(btn_default, 0, 3);

    pLayout->addWidget(new QLabel(QStringLiteral("Журнал:"), this), eRowJournal, 0);
    auto pWhere = new QHBoxLayout;
    rbtn_local = new QRadioButton(QStringLiteral("на этом компьютере"), this);
    rbtn_local->setObjectName(QStringLiteral("rbtn_local"));
    rbtn_server = new QRadioButton(QStringLiteral("на сервере PostgreSQL"), this);
    rbtn_server->setObjectName(QStringLiteral("rbtn_server"));
    (place.bServer ? rbtn_server : rbtn_local)->setChecked(true);
    pWhere->addWidget(rbtn_local);
    pWhere->addWidget(rbtn_server);
    pWhere->addStretch();
    pLayout->addLayout(pWhere, eRowJournal, 1, 1, 3);
    edt_host = addServerLine(pLayout, eRowHost, QStringLiteral("Сервер"),
                             QStringLiteral("edt_host"), place.sHost);
    pLayout->addWidget(new QLabel(QStringLiteral("Порт"), this), eRowPort, 0);
    spn_port = new QSpinBox(this);
    spn_port->setObjectName(QStringLiteral("spn_port"));
    spn_port->setRange(1, 65535);
    spn_port->setValue(place.iPort);
    pLayout->addWidget(spn_port, eRowPort, 1, Qt::AlignLeft);
    edt_database = addServerLine(pLayout, eRowDatabase, QStringLiteral("База данных"),
                                 QStringLiteral("edt_database"), place.sDatabase);
    edt_user = addServerLine(pLayout, eRowUser, QStringLiteral("Пользователь"),
                             QStringLiteral("edt_user"), place.sUser);
    auto enableServer = [this](bool bServer) {
        for (QWidget* pWidget :
             {static_cast<QWidget*>(edt_host), static_cast<QWidget*>(spn_port),
              static_cast<QWidget*>(edt_database), static_cast<QWidget*>(edt_user)})
            pWidget->setEnabled(bServer);
    };
    enableServer(place.bServer);
    connect(rbtn_server, &QRadioButton::toggled, this, enableServer);

    lbl_journalPlace = new QLabel(this);
    lbl_journalPlace->setObjectName(QStringLiteral("lbl_journalPlace"));
    lbl_journalPlace->setTextFormat(Qt::PlainText); // it names a folder or a server
    lbl_journalPlace->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbl_journalPlace->setWordWrap(true);
    pLayout->addWidget(lbl_journalPlace, eRowJournalPlace, 0, 1, 4);
    slot_journalPlaceChanged();
    for (QLineEdit* pEdit : {edt_folder, edt_host, edt_database, edt_user})
        connect(pEdit, &QLineEdit::textChanged, this, &CSettingsDialog::slot_journalPlaceChanged);
    connect(spn_port, &QSpinBox::valueChanged, this, &CSettingsDialog::slot_journalPlaceChanged);
    connect(rbtn_server, &QRadioButton::toggled, this, &CSettingsDialog::slot_journalPlaceChanged);

    pLayout->addWidget(new QLabel(QStringLiteral("Текст в конце протокола"), this), eRowStatement,
                       0, Qt::AlignTop);
    edt_statement = new QPlainTextEdit(this);
    edt_statement->setObjectName(QStringLiteral("edt_statement"));
    edt_statement->setTabChangesFocus(true);
    edt_statement->setFixedHeight(edt_statement->fontMetrics().lineSpacing() * 5);
    pLayout->addWidget(edt_statement, eRowStatement, 1, 1, 2);
    auto btn_statementDefault = new QPushButton(QStringLiteral("По умолчанию"), this);
    btn_statementDefault->setObjectName(QStringLiteral("btn_statementDefault"));
    pLayout->addWidget(btn_statementDefault, eRowStatement, 3, Qt::AlignTop);
    connect(btn_statementDefault, &QPushButton::clicked, this,
            [this] { edt_statement->setPlainText(CLabStatement::sDefault); });

    auto pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    pLayout->addWidget(pButtons, eRowButtons, 0, 1, 4);

    // where the PDFs of issued protocols are kept
    pLayout->addWidget(new QLabel(QStringLiteral("Архив выданных протоколов"), this), eRowArchive,
                       0);
    edt_archive = new QLineEdit(this);
    edt_archive->setObjectName(QStringLiteral("edt_archive"));
    edt_archive->setPlaceholderText(QStringLiteral("рядом с протоколом"));
    pLayout->addWidget(edt_archive, eRowArchive, 1);
    auto btn_browseArchive = new QToolButton(this);
    btn_browseArchive->setObjectName(QStringLiteral("btn_browseArchive"));
    btn_browseArchive->setText(QStringLiteral("…"));
    btn_browseArchive->setToolTip(QStringLiteral("Выбрать папку"));
    pLayout->addWidget(btn_browseArchive, eRowArchive, 2);
    connect(btn_browseArchive, &QToolButton::clicked, this, [this] {
        const QString sDir = CUserDialogs::get().directory(
            this, QStringLiteral("Архив выданных протоколов"), archiveFolder());
        if (!sDir.isEmpty())
            edt_archive->setText(QDir::toNativeSeparators(sDir));
    });
    connect(btn_browse, &QToolButton::clicked, this, &CSettingsDialog::slot_btn_browse_clicked);
    connect(btn_default, &QPushButton::clicked, edt_folder, &QLineEdit::clear);
    connect(pButtons, &QDialogButtonBox::accepted, this, &CSettingsDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &CSettingsDialog::reject);
}

void CSettingsDialog::setArchiveFolder(const QString& sDir) {
    edt_archive->setText(QDir::toNativeSeparators(sDir));
}

QString CSettingsDialog::archiveFolder() const {
    const QString sFolder = edt_archive->text().trimmed();
    return sFolder.isEmpty() ? QString() : QDir::cleanPath(QDir::fromNativeSeparators(sFolder));
}

QString CSettingsDialog::folder() const {
    const QString sFolder = edt_folder->text().trimmed();
    return sFolder.isEmpty() ? QString() : QDir::cleanPath(QDir::fromNativeSeparators(sFolder));
}

SJournalPlace CSettingsDialog::journalPlace() const {
    SJournalPlace place;
    place.bServer = rbtn_server->isChecked();
    place.sHost = edt_host->text().trimmed();
    place.iPort = spn_port->value();
    place.sDatabase = edt_database->text().trimmed();
    place.sUser = edt_user->text().trimmed();
    return place;
}

QString CSettingsDialog::journalFile() const {
    return CJournal::fileIn(folder().isEmpty() ? sDefaultFolder : folder());
}

void CSettingsDialog::setStatement(const QString& sText) {
    sShownStatement = sText;
    edt_statement->setPlainText(sText);
}

QString CSettingsDialog::statement() const {
    return edt_statement->toPlainText();
}

bool CSettingsDialog::isStatementChanged() const {
    return statement() != sShownStatement;
}

void CSettingsDialog::slot_journalPlaceChanged() {
    lbl_journalPlace->setText(QStringLiteral("Журнал протоколов: %1")
                                  .arg(CJournal::describe(journalPlace(), journalFile())));
}

bool CSettingsDialog::mayKeepServer() {
    const SJournalPlace place = journalPlace();
    if (!place.bServer)
        return true;
    // the server is asked beside the window, which goes on answering: one
    // that does not answer takes seconds
    QString sProblem;
    QEventLoop waiting;
    std::unique_ptr<QThread> pAsking(
        QThread::create([&sProblem, place] { sProblem = CJournal::connectionProblem(place); }));
    connect(pAsking.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    setEnabled(false);
    pAsking->start();
    waiting.exec();
    setEnabled(true);
    QGuiApplication::restoreOverrideCursor();
    return sProblem.isEmpty() ||
           CUserDialogs::question(this, windowTitle(),
                                  QStringLiteral("Журнал на сервере недоступен: %1.\n\nСохранить "
                                                 "эту настройку? Пока сервер недоступен, записи "
                                                 "журнала ждут на этом компьютере.")
                                      .arg(sProblem),
                                  CUserDialogs::Yes | CUserDialogs::No,
                                  CUserDialogs::No) == CUserDialogs::Yes;
}

bool CSettingsDialog::isUsableFolder(const QString& sDir) {
    // a file that can be made is the only sure test, whoever runs the program
    QTemporaryFile probe(QDir(sDir).filePath(QStringLiteral(".write-probe-XXXXXX")));
    return QFileInfo(sDir).isDir() && QFileInfo(sDir).isReadable() && probe.open();
}

void CSettingsDialog::slot_btn_browse_clicked() {
    const QString sDir =
        CUserDialogs::get().directory(this, QStringLiteral("Папка справочников"), folder());
    if (!sDir.isEmpty())
        edt_folder->setText(QDir::toNativeSeparators(sDir));
}

void CSettingsDialog::accept() {
    // a folder not there yet is made when the user wants it
    if (!folder().isEmpty() && !QFileInfo::exists(folder()) &&
        CUserDialogs::question(this, windowTitle(),
                               QStringLiteral("Папки «%1» нет. Создать ее?")
                                   .arg(QDir::toNativeSeparators(folder()))) == CUserDialogs::Yes)
        QDir().mkpath(folder());
    if (!folder().isEmpty() && !isUsableFolder(folder())) {
        CUserDialogs::warning(this, windowTitle(),
                              QStringLiteral("В папке «%1» нельзя читать и записывать файлы. "
                                             "Выберите другую папку.")
                                  .arg(QDir::toNativeSeparators(folder())));
        return;
    }
    if (!mayKeepServer())
        return;
    QDialog::accept();
}
