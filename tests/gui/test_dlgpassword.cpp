// The password dialogs: verification against no copies, the profile copy
// alone and both copies; the change dialog's rules in order with their focus;
// a change that cannot be stored keeps the old password working.
#include "app/dialogs/changepassworddialog.h"
#include "app/dialogs/verifypassworddialog.h"
#include "app/framework/msgbox.h"
#include "protocol/password.h"

#include "gui/widget_test_main.h"
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

namespace {
QSettings Profile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Oramek"), QStringLiteral("Pylvex"));
}
} // namespace

class TestDlgPassword : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MsgBoxRecorder> m_boxes;

    QString Folder() const { return m_dir->filePath(QStringLiteral("local")); }

    // The verification dialog with the text typed: whether it ended with OK.
    bool Verify(const QString &typed, const PasswordStore &store)
    {
        VerifyPasswordDialog dlg(nullptr, store);
        dlg.show();
        dlg.activateWindow();
        dlg.SetDlgItemText(IDC_VERIFY_PASSWORD, typed);
        dlg.OnOK();
        if (dlg.result() != QDialog::Accepted) {
            // A refusal leaves the box focused with its text selected.
            auto *box = dlg.Item<QLineEdit>(IDC_VERIFY_PASSWORD);
            if (!QTest::qWaitFor([&] { return QApplication::focusWidget() == box; }, 2000))
                return qWarning("the password box did not take the focus"), false;
            if (box->selectedText() != box->text())
                return qWarning("the password box's text is not selected"), false;
        }
        return dlg.result() == QDialog::Accepted;
    }

    struct ChangeOutcome {
        bool ended = false;
        int focused = 0;
    };
    ChangeOutcome Change(const QString &oldPwd, const QString &newPwd, const QString &confirm,
                         const PasswordStore &store)
    {
        ChangePasswordDialog dlg(nullptr, store);
        dlg.show();
        dlg.activateWindow();
        dlg.SetDlgItemText(IDC_OLD_PASSWORD, oldPwd);
        dlg.SetDlgItemText(IDC_NEW_PASSWORD, newPwd);
        dlg.SetDlgItemText(IDC_CONFIRM_PASSWORD, confirm);
        dlg.OnOK();
        ChangeOutcome out;
        out.ended = dlg.result() == QDialog::Accepted;
        if (!out.ended) {
            if (!QTest::qWaitFor([&] { return dlg.IdOf(QApplication::focusWidget()) != 0; }, 2000))
                return out;
            out.focused = dlg.IdOf(QApplication::focusWidget());
        }
        return out;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        Profile().remove(QStringLiteral("IniProfile/Pylvex.pwd"));
        m_boxes = std::make_unique<MsgBoxRecorder>();
    }
    void cleanup()
    {
        m_boxes.reset();
        Profile().remove(QStringLiteral("IniProfile/Pylvex.pwd"));
        m_dir.reset();
    }

    void boxesTakeEightHiddenCharacters()
    {
        VerifyPasswordDialog verify;
        QCOMPARE(verify.windowTitle(), QStringLiteral("验证"));
        ChangePasswordDialog change;
        QCOMPARE(change.windowTitle(), QStringLiteral("修改密码"));
        for (QLineEdit *box :
             {verify.Item<QLineEdit>(IDC_VERIFY_PASSWORD), change.Item<QLineEdit>(IDC_OLD_PASSWORD),
              change.Item<QLineEdit>(IDC_NEW_PASSWORD), change.Item<QLineEdit>(IDC_CONFIRM_PASSWORD)}) {
            QVERIFY(box);
            QCOMPARE(box->maxLength(), 8);
            QCOMPARE(box->echoMode(), QLineEdit::Password);
        }
    }

    void withoutCopiesTheDefaultPasswordPasses()
    {
        PasswordStore store(Folder());
        QVERIFY(Verify(QStringLiteral("kvmrt"), store));
        QVERIFY(Verify(QStringLiteral("kvmrt \t"), store)); // trailing blanks are dropped
        QCOMPARE(m_boxes->Count(), 0);
        QVERIFY(!Verify(QStringLiteral(" kvmrt"), store));
        QVERIFY(!Verify(QStringLiteral("kvmrT"), store));
        QCOMPARE(m_boxes->Count(), 2);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("密码错误！"));
        QCOMPARE(m_boxes->Shown().back().caption, QStringLiteral("警告"));
        QVERIFY(!Verify(QStringLiteral("   "), store));
        QCOMPARE(m_boxes->LastText(), QStringLiteral("密码为空，请输入密码！"));
    }

    void profileCopyAloneDecides()
    {
        Profile().setValue(QStringLiteral("IniProfile/Pylvex.pwd"),
                           QString::fromStdString(PasswordDigest("abc", kPasswordSeedProfile)));
        PasswordStore store(Folder());
        QVERIFY(Verify(QStringLiteral("abc"), store));
        QVERIFY(!Verify(QStringLiteral("kvmrt"), store));
        QCOMPARE(m_boxes->LastText(), QStringLiteral("密码错误"));
    }

    void changeRulesInOrder_data()
    {
        QTest::addColumn<QString>("oldPwd");
        QTest::addColumn<QString>("newPwd");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<int>("focused");
        QTest::newRow("all empty") << ""
                                   << ""
                                   << ""
                                   << "密码不能为空！" << IDC_OLD_PASSWORD;
        QTest::newRow("new empty") << "kvmrt"
                                   << ""
                                   << ""
                                   << "密码不能为空！" << IDC_NEW_PASSWORD;
        QTest::newRow("confirmation empty") << "kvmrt"
                                            << "ab1"
                                            << ""
                                            << "密码不能为空！" << IDC_CONFIRM_PASSWORD;
        QTest::newRow("differ") << "wrong"
                                << "ab1"
                                << "ab2"
                                << "新密码和确认密码不一致！" << IDC_NEW_PASSWORD;
        QTest::newRow("blank") << "wrong"
                               << "a b"
                               << "a b"
                               << "密码只能由字母数字和下划线组成！" << IDC_NEW_PASSWORD;
        QTest::newRow("not ASCII") << "kvmrt"
                                   << "密码1"
                                   << "密码1"
                                   << "密码只能由字母数字和下划线组成！" << IDC_NEW_PASSWORD;
        QTest::newRow("wrong old") << "kvmrt "
                                   << "ab1"
                                   << "ab1"
                                   << "原密码错误！" << IDC_OLD_PASSWORD;
    }
    void changeRulesInOrder()
    {
        QFETCH(QString, oldPwd);
        QFETCH(QString, newPwd);
        QFETCH(QString, confirm);
        QFETCH(QString, refusal);
        QFETCH(int, focused);
        PasswordStore store(Folder());
        ChangeOutcome out = Change(oldPwd, newPwd, confirm, store);
        QVERIFY(!out.ended);
        QCOMPARE(m_boxes->Count(), 1);
        QCOMPARE(m_boxes->LastText(), refusal);
        QCOMPARE(out.focused, focused);
        QVERIFY(store.Read().profileCopy.empty() && store.Read().fileCopy.empty());
    }

    void changedPasswordTakesEffect()
    {
        PasswordStore store(Folder());
        QVERIFY(Change(QStringLiteral("kvmrt"), QStringLiteral("new-pw_1"), QStringLiteral("new-pw_1"), store).ended);
        QCOMPARE(m_boxes->Count(), 0);
        QCOMPARE(store.Read().fileCopy, PasswordDigest("new-pw_1", kPasswordSeedFile));
        // Readable and writable by the owner only.
        const QFileDevice::Permissions perms = QFile::permissions(store.FilePath());
        QVERIFY(perms.testFlag(QFileDevice::ReadOwner) && perms.testFlag(QFileDevice::WriteOwner));
        QCOMPARE(int(perms & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                              QFileDevice::WriteOther | QFileDevice::ExeOwner)),
                 0);
        QVERIFY(Verify(QStringLiteral("new-pw_1"), store));
        QVERIFY(!Verify(QStringLiteral("kvmrt"), store));
        QCOMPARE(m_boxes->LastText(), QStringLiteral("密码错误！"));
    }

    void failedChangeKeepsTheOldPassword()
    {
        PasswordStore good(Folder());
        QVERIFY(Change(QStringLiteral("kvmrt"), QStringLiteral("old1"), QStringLiteral("old1"), good).ended);
        // Where the file copy's folder should be lies a plain file.
        const QString blocked = m_dir->filePath(QStringLiteral("plain-file"));
        QFile blocker(blocked);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        PasswordStore broken(blocked);
        QVERIFY(Change(QStringLiteral("old1"), QStringLiteral("new1"), QStringLiteral("new1"), broken).ended);
        QCOMPARE(m_boxes->LastText(), QStringLiteral("修改密码失败！"));
        QVERIFY(Verify(QStringLiteral("old1"), good));
        QVERIFY(!Verify(QStringLiteral("new1"), good));
    }
};

int main(int argc, char **argv)
{
    return RunWidgetTest<TestDlgPassword>(argc, argv);
}

#include "test_dlgpassword.moc"
