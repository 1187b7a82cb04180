#include "app/pages/soclearningpage.h"
#include "app/framework/pagehost.h"

#include "app/framework/msgbox.h"
#include "app/framework/rxreports.h"
#include "app/widgets/listexport.h"
#include "app/widgets/userlistctrl.h"
#include "protocol/soc_learning.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QString SocText(const char *text)
{
    return text ? QCoreApplication::translate(kSocTextContext, text) : QString();
}

// Widths of the record columns in units of a thirty-third of the list; 0: hidden.
constexpr int kColumnUnits[kSocColumns] = {16, 10, 10, 6, 6, 6, 9, 0, 0, 0}; // half units
constexpr int kNominalListWidth = 800;

bool OpenWithDesktop(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

SocLearningPage::FileOpener &Opener()
{
    static SocLearningPage::FileOpener opener = OpenWithDesktop;
    return opener;
}

} // namespace

void SocLearningPage::SetFileOpener(FileOpener opener)
{
    Opener() = opener ? std::move(opener) : SocLearningPage::FileOpener(OpenWithDesktop);
}

SocLearningPage::SocLearningPage(PageHost *host, QWidget *parent)
    : RowPageBase(host, tr("调试SOC学习"), parent, PageAccess::Internal)
{
}

std::vector<RxRoute> SocLearningPage::Routes() const
{
    return {
        PageRoute(0x82, 0x80 | kSocConfigWriteCode, TAG_SOC_CONFIG),
        PageRoute(0x82, 0x80 | kSocLearnCode, TAG_SOC_LEARNING),
        PageRoute(0x82, 0x80 | kSocConfigReadCode, TAG_SOC_CONFIG),
    };
}

QComboBox *SocLearningPage::StageBox(int id) const
{
    return Item<QComboBox>(id);
}

void SocLearningPage::OnInitDialog()
{
    BuildLayout();
    RowPageBase::OnInitDialog();
}

void SocLearningPage::BuildLayout()
{
    // The two parameters: hidden check boxes, the buttons act on them.
    auto *params = new QGridLayout;
    const struct {
        int chk, led, display;
        const char *text;
    } rows[] = {{IDC_SOC_CONFIG_CHK, IDC_SOC_CONFIG_LED, IDC_SOC_START_MV, QT_TR_NOOP("写入SOC配置：")},
                {IDC_SOC_LEARN_CHK, IDC_SOC_LEARN_LED, IDC_SOC_ERROR, QT_TR_NOOP("启动S0C学习：")}};

    auto *fields = new QGridLayout;
    int at = 0;
    auto place = [&](const QString &label, QWidget *w, const QString &unit) {
        const int r = at / 2, c = (at % 2) * 3;
        fields->addWidget(new QLabel(label, this), r, c);
        fields->addWidget(w, r, c + 1);
        if (!unit.isEmpty())
            fields->addWidget(new QLabel(unit, this), r, c + 2);
        ++at;
    };
    for (const SocConfigField &f : SocConfigFields())
        place(SocText(f.label), MakeEdit(f.editId), SocText(f.unit));
    for (auto [id, label] : {std::pair{IDC_SOC_START_STAGE, QT_TR_NOOP("开始阶段")},
                             std::pair{IDC_SOC_END_STAGE, QT_TR_NOOP("结束阶段")}}) {
        auto *box = new QComboBox(this);
        RegisterControl(id, box);
        for (int s = 1; s <= kSocStages; ++s)
            box->addItem(SocText(SocStageName(s)));
        box->setCurrentIndex(id == IDC_SOC_START_STAGE ? 0 : kSocStages - 1);
        place(tr(label), box, QString());
    }
    QLineEdit *error = MakeEdit(IDC_SOC_ERROR, true);
    connect(error, &QLineEdit::textChanged, this, &SocLearningPage::ColourError);
    place(tr("错误状态"), error, QString());

    for (int i = 0; i < 2; ++i) {
        QCheckBox *check = MakeCheck(rows[i].chk, tr(rows[i].text));
        check->hide();
        LedLamp *led = MakeLed(rows[i].led);
        params->addWidget(check, 0, 2 * i);
        params->addWidget(led, 0, 2 * i + 1);
        AddParam({rows[i].chk, rows[i].display, rows[i].led, led});
    }

    auto *buttons = new QHBoxLayout;
    buttons->addLayout(params);
    for (auto [id, text] :
         {std::pair{IDC_SOC_READ_CONFIG, QT_TR_NOOP("读取SOC配置")},
          std::pair{IDC_SOC_WRITE_CONFIG, QT_TR_NOOP("写入SOC配置")},
          std::pair{IDC_SOC_START, QT_TR_NOOP("启动SOC学习")}, std::pair{IDC_SOC_STOP, QT_TR_NOOP("停止SOC学习")},
          std::pair{IDC_SOC_EXPORT, QT_TR_NOOP("导出SOC学习记录")}, std::pair{IDC_CLEAR, QT_TR_NOOP("清空")}})
        buttons->addWidget(MakeButton(id, tr(text)));
    buttons->addStretch(1);
    connect(Item<QPushButton>(IDC_SOC_READ_CONFIG), &QPushButton::clicked, this,
            [this] { ReadParams(IDC_SOC_CONFIG_CHK); });
    connect(Item<QPushButton>(IDC_SOC_WRITE_CONFIG), &QPushButton::clicked, this,
            [this] { WriteParams(IDC_SOC_CONFIG_CHK); });
    connect(Item<QPushButton>(IDC_SOC_START), &QPushButton::clicked, this, [this] { WriteParams(IDC_SOC_LEARN_CHK); });
    connect(Item<QPushButton>(IDC_SOC_STOP), &QPushButton::clicked, this, [this] { ReadParams(IDC_SOC_LEARN_CHK); });
    connect(Item<QPushButton>(IDC_SOC_EXPORT), &QPushButton::clicked, this, &SocLearningPage::OnBtnClickExport);

    m_pList = new UserListCtrl(this);
    RegisterControl(IDC_SOC_LIST, m_pList);
    m_pList->SetListId(IDC_SOC_LIST);
    const int a = kNominalListWidth / 33;
    for (std::size_t c = 0; c < kSocColumns; ++c) {
        m_exportColumns << QString::fromUtf8(kSocExportColumns[c]);
        m_pList->InsertColumn(static_cast<int>(c), SocText(kSocListColumns[c]), kColumnUnits[c] * a / 2);
        if (kColumnUnits[c] == 0)
            m_pList->setColumnHidden(static_cast<int>(c), true);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addWidget(m_pList, 1);
}

// ---------------------------------------------------------------- requests

void SocLearningPage::ReadParams(int nChkID)
{
    const int order[] = {IDC_SOC_CONFIG_CHK, IDC_SOC_LEARN_CHK};
    RunReadWalk(nChkID, order, [this](int chk) {
        std::vector<std::uint8_t> p = chk == IDC_SOC_CONFIG_CHK ? SocConfigReadPayload() : SocStopPayload();
        return SendFrame(p.data(), p.size());
    });
}

void SocLearningPage::WriteParams(int nChkID)
{
    const int order[] = {IDC_SOC_CONFIG_CHK, IDC_SOC_LEARN_CHK};
    RunWriteWalk(nChkID, order, [this](int chk) {
        if (chk == IDC_SOC_CONFIG_CHK)
            return SendConfigWrite();
        std::vector<std::uint8_t> p = SocStartPayload();
        return SendFrame(p.data(), p.size());
    });
}

// Each field checked in turn; the first bad one shows its warning and stops the write.
bool SocLearningPage::SendConfigWrite()
{
    SocConfig config;
    for (const SocConfigField &f : SocConfigFields()) {
        int value = 0;
        if (!GetEditInt(f.editId, value, static_cast<int>(f.min), static_cast<int>(f.max), true))
            return false;
        config.*(f.value) = value;
    }
    config.startStage = static_cast<std::uint8_t>(StageBox(IDC_SOC_START_STAGE)->currentIndex() + 1);
    config.endStage = static_cast<std::uint8_t>(StageBox(IDC_SOC_END_STAGE)->currentIndex() + 1);
    std::vector<std::uint8_t> p = SocConfigWritePayload(config);
    return SendFrame(p.data(), p.size());
}

// ---------------------------------------------------------------- answers

void SocLearningPage::OnRoute(const RxRoute &route, const std::uint8_t *frame, int len)
{
    if (len > 1 && (frame[1] & 0x80))
        m_bSecondarySeen = true;
    if (route.tag == TAG_SOC_CONFIG)
        OnSocConfig(frame, len);
    else if (route.tag == TAG_SOC_LEARNING)
        OnSocLearning(frame, len);
}

void SocLearningPage::OnSocConfig(const std::uint8_t *frame, int len)
{
    ParamEntry entry;
    if (!CheckRowResponse(frame, len, 0, IDC_SOC_CONFIG_CHK, entry))
        return;
    ResponseView view = ViewResponse(frame, len);
    // A write acknowledgement may carry the result byte alone: nothing to show.
    std::optional<SocConfigAnswer> a = DecodeSocConfig(view.AfterResult());
    if (!a)
        return;
    SetDlgItemInt(IDC_SOC_START_MV, a->startMv, false);
    SetDlgItemInt(1327, a->endMv, false);
    SetDlgItemInt(IDC_SOC_UPLOAD, a->uploadSec, false);
    SetDlgItemInt(1331, a->precision, false);
    SetDlgItemInt(1325, a->fullCurrentMa, false);
    SetDlgItemInt(1324, a->standardMa, false);
    StageBox(IDC_SOC_START_STAGE)->setCurrentIndex(a->startStage - 1);
    StageBox(IDC_SOC_END_STAGE)->setCurrentIndex(a->endStage - 1);
    if (a->allowedErrorMv)
        SetDlgItemInt(1420, *a->allowedErrorMv, false);
    if (a->irStep)
        SetDlgItemInt(1419, *a->irStep, false);
    if (a->irIndex)
        SetDlgItemInt(1435, *a->irIndex, false);
    if (a->chargeMa)
        SetDlgItemInt(1433, static_cast<unsigned>(*a->chargeMa), true);
    if (a->dischargeMa)
        SetDlgItemInt(1434, static_cast<unsigned>(*a->dischargeMa), true);
}

void SocLearningPage::OnSocLearning(const std::uint8_t *frame, int len)
{
    ResponseView view = ViewResponse(frame, len);
    ParamEntry entry;
    LookupParam(IDC_SOC_LEARN_CHK, entry);
    if (view.dataLen == 1) {
        if (!CheckResponse(frame, len, 1, entry))
            if (Host())
                Host()->WriteLog(6, QStringLiteral("S0C学习"), QStringLiteral("已经成功启动S0C学习"));
        return;
    }
    // The lamp tells whether the board reported a learning error; the record is listed anyway.
    CheckResponse(frame, len, 0, entry);
    if (view.avail != view.dataLen)
        return;
    std::optional<SocRecord> record = DecodeSocRecord(view.AfterResult());
    if (!record)
        return;
    ShowError(SocText(SocErrorText(view.ResultCode()).c_str()));
    SocBoard board = !m_bSecondarySeen ? SocBoard::None : (frame[1] & 0x80) ? SocBoard::Secondary : SocBoard::Main;
    QStringList cells;
    const int index = m_pList->GetItemCount();
    for (const std::string &text : SocRecordTexts(*record, board, index))
        cells << SocText(text.c_str());
    m_pList->AddRow(cells);
}

void SocLearningPage::ShowError(const QString &text)
{
    auto *edit = Item<QLineEdit>(IDC_SOC_ERROR);
    if (!edit)
        return;
    edit->setText(text);
    ColourError(text);
}

// Every text of the box but "无" is an error, whoever wrote it (a learning
// record's error, or the framework's "ErrorCode: 0x.." of a refused start or stop).
void SocLearningPage::ColourError(const QString &text)
{
    auto *edit = Item<QLineEdit>(IDC_SOC_ERROR);
    if (!edit)
        return;
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, text != SocText("无") && !text.isEmpty() ? QColor(255, 0, 0)
                                                                              : this->palette().color(QPalette::Text));
    edit->setPalette(palette);
}

// ---------------------------------------------------------------- clear, export

void SocLearningPage::OnBtnClickClear()
{
    for (int id : {1322, 1327, 1324, 1325, 1331, 1330, 1419, 1420, 1435, 1433, 1434})
        SetDlgItemText(id, QString());
    ShowError(QString());
    m_pList->DeleteAllItems();
}

void SocLearningPage::OnBtnClickExport()
{
    QString path;
    std::optional<bool> written = ExportPageList(
        this, *m_pList, m_exportColumns, QStringLiteral("CCfgPageFiv::OnBtnClick_QDSX_DC"), QStringLiteral("SOC"),
        {tr("SOC 学习记录为空，没有可导出的内容！"), "SOC 学习记录导出成功", "SOC 学习记录导出失败"}, &path);
    if (!written || !*written)
        return;
    if (MessageBox(tr("导出 SOC 学习记录成功，是否打开文件？"), tr("确认"),
                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
        Opener()(QUrl::fromLocalFile(path));
}
