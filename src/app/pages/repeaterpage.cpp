#include "app/pages/repeaterpage.h"

#include "app/dialogs/filechooser.h"
#include "app/dialogs/filedialogex.h"
#include "app/dialogs/ymodemupgradedialog.h"
#include "app/framework/boardtext.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "protocol/repeater_cmds.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <array>

namespace {

// The rows in the order of the read walk.
constexpr std::array<int, 3> kRowOrder = {RepeaterPage::IDC_UPGRADE_CHK, RepeaterPage::IDC_LINKS_CHK,
                                          RepeaterPage::IDC_VERSION_CHK};

} // namespace

RepeaterPage::RepeaterPage(PageHost *host, QWidget *parent) : RowPageBase(host, tr("中继器信息"), parent) {}

void RepeaterPage::OnInitDialog()
{
    auto *outer = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    AddParamRow(grid, 0, IDC_UPGRADE_CHK, tr("在线升级："), {RowEdit(IDC_UPGRADE_EDIT)}, IDC_UPGRADE_LED);
    AddParamRow(grid, 1, IDC_LINKS_CHK, tr("支持通讯方式："), {RowEdit(IDC_LINKS_EDIT)}, IDC_LINKS_LED);
    AddParamRow(grid, 2, IDC_VERSION_CHK, tr("软硬件版本号："),
                {RowEdit(IDC_SOFTWARE_EDIT, {}, tr("软件版本")), RowEdit(IDC_HARDWARE_EDIT, {}, tr("硬件版本"))},
                IDC_VERSION_LED);
    // The boxes only show answers.
    for (int id : {IDC_UPGRADE_EDIT, IDC_LINKS_EDIT, IDC_SOFTWARE_EDIT, IDC_HARDWARE_EDIT})
        GetDlgItem(id)->setEnabled(false);
    GetDlgItem(IDC_UPGRADE_CHK)->setFocusPolicy(Qt::ClickFocus);
    outer->addLayout(grid);

    auto *pass = new QHBoxLayout;
    auto *passLeft = new QVBoxLayout;
    passLeft->addWidget(MakeCheck(IDC_PASS_CHK, tr("命令透穿：")));
    passLeft->addStretch(1);
    pass->addLayout(passLeft);
    auto *edit = new QPlainTextEdit(this);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setTabChangesFocus(true);
    RegisterControl(IDC_PASS_EDIT, edit);
    pass->addWidget(edit, 1);
    outer->addLayout(pass, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(MakeButton(IDC_PASS_SEND, tr("透穿命令")));
    buttons->addWidget(MakeButton(IDC_CLEAR, tr("清空")));
    outer->addLayout(buttons);

    connect(edit, &QPlainTextEdit::textChanged, this, [this] { OnPassTextChanged(); });
    connect(Item<QPushButton>(IDC_PASS_SEND), &QPushButton::clicked, this, [this] { OnBtnClickPassThrough(); });
    RowPageBase::OnInitDialog();
}

QPlainTextEdit *RepeaterPage::PassEdit() const
{
    return Item<QPlainTextEdit>(IDC_PASS_EDIT);
}

std::vector<RxRoute> RepeaterPage::Routes() const
{
    return {
        {0x81, 0x81, OP_PAGE_IF_ACTIVE, 0, 0, IDC_UPGRADE_CHK, IDC_UPGRADE_EDIT},
        RowRoute(0x81, 0x82, IDC_LINKS_CHK),
        {0x81, 0x83, OP_VERSION, kNeedRepeaterVersions, 0, IDC_VERSION_CHK, IDC_HARDWARE_EDIT},
    };
}

// ---------------------------------------------------------------- requests

void RepeaterPage::ReadParams(int nChkID)
{
    RunReadWalk(nChkID, kRowOrder, [this](int chkID) { return QueueRow(chkID); });
}

void RepeaterPage::WriteParams(int nChkID)
{
    // Writing row 1 starts the upgrade with the file already chosen; the
    // other rows have nothing to write and are read instead.
    if (nChkID == IDC_UPGRADE_CHK) {
        if (!m_strUpgradeFile.isEmpty())
            OpenUpgradeDialog();
        return;
    }
    ReadParams(nChkID);
}

bool RepeaterPage::QueueRow(int chkID)
{
    switch (chkID) {
    case IDC_UPGRADE_CHK: return RequestUpgrade();
    case IDC_LINKS_CHK: return SendReadRequest(kCmdRepeaterLinks.cls, kCmdRepeaterLinks.code);
    case IDC_VERSION_CHK: return SendReadRequest(kCmdRepeaterVersions.cls, kCmdRepeaterVersions.code);
    default: return false;
    }
}

// Choose the firmware file, then ask the repeater to start its loader.
bool RepeaterPage::RequestUpgrade()
{
    FileDialogEx dialog(true, QString::fromLatin1(kFileKey), QString(), tr("请选择升级文件"),
                        tr("Binary Files (*.bin *.hex);;All Files (*)"), this);
    const QString chosen = dialog.DoModal();
    if (chosen.isEmpty())
        return false; // cancelled
    const QString path = chosen.trimmed();
    const QString error = UpgradeFileError(path);
    if (!error.isEmpty()) {
        MessageBox(error, tr("警告"), MB_ICONWARNING);
        if (auto *edit = Item<QLineEdit>(IDC_UPGRADE_EDIT)) {
            edit->setFocus();
            edit->selectAll();
        }
        return false;
    }
    m_strUpgradeFile = path;
    SetDlgItemText(IDC_UPGRADE_EDIT, tr("升级请求已发出,等待响应！"));
    return SendReadRequest(kCmdRepeaterUpgrade.cls, kCmdRepeaterUpgrade.code);
}

// The repeater's loader takes the YModem packets as raw bytes.
void RepeaterPage::OpenUpgradeDialog()
{
    // One upgrade at a time: an answer arriving while the dialog runs opens no second one.
    if (m_pUpgrade)
        return;
    YModemUpgradeDialog dialog(Host(), YModemTransport::Raw, m_strUpgradeFile, this);
    m_pUpgrade = &dialog;
    RunModal(&dialog);
}

// ---------------------------------------------------------------- answers

// The repeater's answer to the upgrade request (only while the page is in front).
void RepeaterPage::OnRoute(const RxRoute &route, const std::uint8_t *frame, int len)
{
    if (route.chk == IDC_LINKS_CHK) {
        std::uint8_t links = 0;
        if (ParseValueResponse(frame, len, kNeedRepeaterLinks, IDC_LINKS_CHK, VT_UI1, &links))
            SetDlgItemText(IDC_LINKS_EDIT, BoardNames(RepeaterLinkNames(links), tr("，")));
        return;
    }
    if (route.chk != IDC_UPGRADE_CHK)
        return;
    const QString text = tr("请求在线升级，收到响应！");
    if (!CheckAckResponse(frame, len, IDC_UPGRADE_CHK, IDC_UPGRADE_EDIT, &text))
        return;
    if (m_strUpgradeFile.isEmpty())
        SetDlgItemText(IDC_UPGRADE_EDIT, tr("请双击选择升级文件！"));
    else
        OpenUpgradeDialog();
}

// ---------------------------------------------------------------- pass-through

void RepeaterPage::OnPassTextChanged()
{
    if (m_bCutting)
        return;
    QPlainTextEdit *edit = PassEdit();
    const QString text = edit->toPlainText();
    // Every valid character is one ASCII byte, so the valid prefix has the
    // same length in bytes and in characters.
    const std::string bytes = text.toStdString();
    const std::size_t valid = ValidHexPrefix(bytes);
    if (valid == bytes.size()) {
        const std::vector<std::uint8_t> parsed = HexTextBytes(bytes);
        m_cmdBank = QByteArray(reinterpret_cast<const char *>(parsed.data()), static_cast<qsizetype>(parsed.size()));
        return;
    }
    m_bCutting = true;
    edit->setPlainText(text.left(static_cast<qsizetype>(valid)));
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(static_cast<int>(valid));
    edit->setTextCursor(cursor);
    m_bCutting = false;
    m_cmdBank.clear();
    MessageBox(tr("请输入有效的HEX格式!\n范围：('0-9','a-f','A-F')\n字节间可以用空格隔开"), tr("警告"), MB_ICONWARNING);
}

void RepeaterPage::OnBtnClickPassThrough()
{
    // A command typed for a closed port would wait in the queue and leave
    // unasked once the port opens: refuse it.
    if (!CheckPortOpen())
        return;
    const auto *bank = reinterpret_cast<const std::uint8_t *>(m_cmdBank.constData());
    const std::optional<Payload> payload =
        PassThroughPayload(std::span<const std::uint8_t>(bank, static_cast<std::size_t>(m_cmdBank.size())));
    if (!payload) {
        MessageBox(tr("透穿命令最多%1个字节，当前%2个字节！").arg(kPassThroughMax).arg(m_cmdBank.size()), tr("警告"),
                   MB_ICONWARNING);
        return;
    }
    SendFrame(payload->data(), payload->size());
}

void RepeaterPage::OnBtnClickClear()
{
    for (int id : {IDC_UPGRADE_EDIT, IDC_LINKS_EDIT, IDC_SOFTWARE_EDIT, IDC_HARDWARE_EDIT})
        if (auto *edit = Item<QLineEdit>(id))
            edit->clear();
}
