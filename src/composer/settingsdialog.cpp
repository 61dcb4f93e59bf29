#include "composer/settingsdialog.h"

#include "base/userdialogs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryFile>
#include <QToolButton>

CSettingsDialog::CSettingsDialog(const QString& sFolder, QWidget* pParent) : QDialog(pParent) {
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
    pLayout->addWidget(btn_browse, 0, 2);
    auto btn_default = new QPushButton(QStringLiteral("По умолчанию"), this);
    btn_default->setObjectName(QStringLiteral("btn_default"));
    pLayout->addWidget(btn_default, 0, 3);
    auto pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    pLayout->addWidget(pButtons, 1, 0, 1, 4);

    connect(btn_browse, &QToolButton::clicked, this, &CSettingsDialog::slot_btn_browse_clicked);
    connect(btn_default, &QPushButton::clicked, edt_folder, &QLineEdit::clear);
    connect(pButtons, &QDialogButtonBox::accepted, this, &CSettingsDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &CSettingsDialog::reject);
}

QString CSettingsDialog::folder() const {
    const QString sFolder = edt_folder->text().trimmed();
    return sFolder.isEmpty() ? QString() : QDir::cleanPath(QDir::fromNativeSeparators(sFolder));
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
    if (!folder().isEmpty() && !isUsableFolder(folder())) {
        CUserDialogs::warning(this, windowTitle(),
                              QStringLiteral("В папке «%1» нельзя читать и записывать файлы. "
                                             "Выберите другую папку.")
                                  .arg(QDir::toNativeSeparators(folder())));
        return;
    }
    QDialog::accept();
}
