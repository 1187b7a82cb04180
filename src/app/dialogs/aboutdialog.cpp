#include "app/dialogs/aboutdialog.h"

#include "app/framework/msgbox.h"
#include "app/userprofile.h"
#include "files/logfiles.h"
#include "version.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QUrl>
#include <QVBoxLayout>

QString SettingsFilePath()
{
    QSettings profile = UserProfile();
    return QDir::toNativeSeparators(profile.fileName());
}

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("关于 Pylvex"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Pylvex Tools v%1").arg(QLatin1String(kPylvexVersion)), this));

    auto *folders = new QLabel(this);
    folders->setTextFormat(Qt::PlainText);
    folders->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folders->setText(tr("日志、定时保存的记录和崩溃文件保存在：\n%1\n\n设置保存在：\n%2")
                         .arg(QDir::toNativeSeparators(LogFolder()), SettingsFilePath()));
    layout->addWidget(folders);

    auto *buttons = new QDialogButtonBox(this);
    m_pOpenFolder = buttons->addButton(tr("打开文件夹"), QDialogButtonBox::ActionRole);
    QPushButton *ok = buttons->addButton(tr("确定"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_pOpenFolder, &QPushButton::clicked, this, [this] {
        if (!OpenLogFolder())
            ::MessageBox(this, tr("无法打开文件夹 %1").arg(QDir::toNativeSeparators(LogFolder())), tr("错误"),
                         MB_ICONERROR);
    });
    layout->addWidget(buttons);
}

bool AboutDialog::OpenLogFolder()
{
    return MakeLogFolder() && QDesktopServices::openUrl(QUrl::fromLocalFile(LogFolder()));
}
