// Live status page: layout, activation, timers, the read button, the check-box
// gestures of batch mode, timed refresh, the SOC picture and "清空".
#include "app/pages/livestatuspage.h"

#include "app/dialogs/packchartwindow.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/framework/parameterstore.h"
#include "app/pages/livestatuspage_soc.h"
#include "app/pages/livestatuspage_trace.h"
#include "app/pages/packchartfeed.h"
#include "app/widgets/userlistctrl.h"
#include "files/logfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QResizeEvent>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

// Where the SOC pictures are looked for: ./pic first, then pic/ beside the
// program, then share/pylvex/pic of an installed program.
QPixmap LoadSocImage(int k)
{
    QString name = QStringLiteral("%1S.jpg").arg(k * 10);
    QPixmap image(QDir::current().filePath(QStringLiteral("pic/") + name));
    if (!QCoreApplication::instance())
        return image;
    const QDir program(QCoreApplication::applicationDirPath());
    for (const char *folder : {"pic/", "../share/pylvex/pic/"}) {
        if (!image.isNull())
            break;
        image.load(program.filePath(QLatin1String(folder) + name));
    }
    return image;
}
} // namespace

LiveStatusPage::LiveStatusPage(PageHost *host, QWidget *parent)
    : RowPageBase(host, tr("客户使用-1"), parent), m_clock([] { return static_cast<std::uint32_t>(MonotonicMs()); }),
      m_wallClock([] { return QDateTime::currentDateTime(); })
{
    m_dwNextBatchMs = m_clock();
    if (host) {
        connect(host, &PageHost::PortOpened, this, &LiveStatusPage::OnPortOpened);
        connect(host, &PageHost::PortIdle, this, &LiveStatusPage::OnPortIdle);
        connect(host, &PageHost::BoardSwitched, this, &LiveStatusPage::OnBoardSwitched);
        connect(host, &PageHost::PortClosed, this, &LiveStatusPage::OnPortClosed);
    }
    m_freshClock.start();
    m_pChartFeed = new PackChartFeed(this);
}

PackChartWindow *LiveStatusPage::ChartWindow() const
{
    return m_pChartWindow.data();
}

std::vector<CellThreshold> LiveStatusPage::KnownCellThresholds() const
{
    // The cell thresholds the board has answered (on whichever page shows them).
    struct Threshold {
        ParamId id;
        const char *name;
    };
    static constexpr Threshold kThresholds[] = {
        {ParamId::CellOvProtect, QT_TRANSLATE_NOOP("LiveStatusPage", "单节过充保护")},
        {ParamId::CellOvAlarm, QT_TRANSLATE_NOOP("LiveStatusPage", "单节过充报警")},
        {ParamId::CellUvAlarm, QT_TRANSLATE_NOOP("LiveStatusPage", "单节过放报警")},
        {ParamId::CellUvProtect, QT_TRANSLATE_NOOP("LiveStatusPage", "单节过放保护")},
    };
    std::vector<CellThreshold> known;
    if (!Host())
        return known;
    for (const Threshold &t : kThresholds)
        if (std::optional<double> mv = Host()->Parameters().Value(t.id))
            known.push_back({tr(t.name), *mv});
    return known;
}

PackChartWindow *LiveStatusPage::OpenChartWindow()
{
    if (!m_pChartWindow) {
        m_pChartWindow = new PackChartWindow(m_pChartFeed, window());
        m_pChartWindow->SetThresholdSource([this] { return KnownCellThresholds(); });
    }
    m_pChartWindow->show();
    m_pChartWindow->raise();
    m_pChartWindow->activateWindow();
    return m_pChartWindow;
}

std::vector<RxRoute> LiveStatusPage::StatusRoutes()
{
    std::vector<RxRoute> routes;
    for (std::uint8_t code : {0x81, 0x82, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x94, 0x98, 0x99, 0xA0, 0xA2, 0xA3, 0xA4})
        routes.push_back(PageRoute(0x83, code, TAG_STATUS));
    routes.push_back(PageRoute(0x83, 0xE6, TAG_BATCH_STATUS));
    return routes;
}

void LiveStatusPage::OnRoute(const RxRoute &route, const std::uint8_t *frame, int len)
{
    if (route.tag == TAG_BATCH_STATUS)
        OnBatchStatus(frame, len);
    else
        OnStatusResponse(frame, len);
}

void LiveStatusPage::SetClock(std::function<std::uint32_t()> clock, std::uint32_t nextBatchMs)
{
    m_clock = std::move(clock);
    m_dwNextBatchMs = nextBatchMs;
}

LiveStatusPage::~LiveStatusPage() = default;

void LiveStatusPage::OnInitDialog()
{
    auto *page = new QHBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->addWidget(BuildItemsBox(), 3);
    page->addWidget(BuildListsBox(), 4);

    RowPageBase::OnInitDialog();

    // The read button is registered only now, so the base leaves it alone:
    // batch mode reads otherwise.
    RegisterControl(IDC_READ, m_pReadButton);
    connect(m_pReadButton, &QPushButton::clicked, this, [this] { OnReadButton(); });
    // Connected after the base, so these run after its own handling of the same click.
    for (const StatusItem &item : kStatusItems)
        connect(Item<QCheckBox>(item.nChkID), &QCheckBox::clicked, this,
                [this, id = item.nChkID] { OnItemCheckClicked(id); });
    connect(Item<QCheckBox>(IDC_SELECT_ALL), &QCheckBox::clicked, this, [this] { OnSelectAllClicked(); });
    connect(Item<QCheckBox>(IDC_TIMED_REFRESH), &QCheckBox::clicked, this, [this] { OnTimedRefreshClicked(); });
    // A period set by the program applies at once; one being typed applies
    // when the editing is finished (Enter or leaving the box), so a half-typed
    // or momentarily empty box never becomes the period.
    auto *period = Item<QLineEdit>(IDC_SAVE_PERIOD);
    connect(period, &QLineEdit::textChanged, this, [this, period] {
        if (!period->isModified())
            OnSavePeriodChanged();
    });
    connect(period, &QLineEdit::editingFinished, this, [this, period] {
        period->setModified(false);
        OnSavePeriodChanged();
    });

    CreateListColumns();
    SetListMinimumWidths();
    FitExtremeListHeight();
    SetEditMinimumWidths();
    ResetMosLamps();
    LoadSocImages();
    SetDlgItemText(IDC_SAVE_PERIOD, QStringLiteral("10"));
}

QWidget *LiveStatusPage::BuildItemsBox()
{
    auto *box = new QGroupBox(this);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(6, 6, 6, 6);
    auto edit = [this](int id, const QString &caption, const QString &unit) {
        auto *row = new QHBoxLayout;
        if (!caption.isEmpty())
            row->addWidget(new QLabel(caption, this));
        row->addWidget(MakeEdit(id, true), 1);
        if (!unit.isEmpty())
            row->addWidget(new QLabel(unit, this));
        return row;
    };
    for (int i = 0; i < static_cast<int>(kStatusItems.size()); ++i) {
        const StatusItem &item = kStatusItems[static_cast<std::size_t>(i)];
        grid->addWidget(MakeCheck(item.nChkID, tr(item.label)), i, 0);
        QHBoxLayout *display = nullptr;
        switch (item.nChkID) {
        case 1148:
            display = edit(1150, tr("软件版本"), QString());
            display->addLayout(edit(1151, tr("硬件版本"), QString()));
            break;
        case 1172:
            display = edit(1173, tr("总电压"), QStringLiteral("mV"));
            display->addLayout(edit(1175, tr("总电流"), QStringLiteral("mA")));
            break;
        case 1008:
        case 1010: {
            auto *combo = new QComboBox(this);
            (item.nChkID == 1008 ? m_pProtection : m_pAlarm) = combo;
            display = new QHBoxLayout;
            display->addWidget(RegisterControl(item.nDisplayID, combo), 1);
            break;
        }
        case 1021:
            display = new QHBoxLayout;
            for (auto [id, text] : {std::pair{IDC_MOS_CHARGE, QT_TRANSLATE_NOOP("LiveStatusPage", "充电")},
                                    {IDC_MOS_DISCHARGE, QT_TRANSLATE_NOOP("LiveStatusPage", "放电")},
                                    {IDC_MOS_PRE, QT_TRANSLATE_NOOP("LiveStatusPage", "预放电")}}) {
                display->addWidget(new QLabel(tr(text), this));
                display->addWidget(MakeLed(id));
            }
            display->addStretch(1);
            break;
        case 1157:
            m_pDate = new QDateEdit(this);
            m_pDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
            m_pDate->setReadOnly(true);
            // Blank until the board sends its date.
            m_pDate->setSpecialValueText(QStringLiteral(" "));
            m_pDate->setDate(m_pDate->minimumDate());
            display = new QHBoxLayout;
            display->addWidget(RegisterControl(item.nDisplayID, m_pDate), 1);
            break;
        case 1164:
        case 1145: display = edit(item.nDisplayID, QString(), QStringLiteral("mAH")); break;
        case 1069:
            display = edit(1068, QString(), QStringLiteral("%"));
            display->addLayout(edit(1070, QString(), QStringLiteral("%")));
            break;
        case 1123:
            display = edit(item.nDisplayID, QString(), QString());
            GetDlgItem(item.nDisplayID)->hide();
            break;
        case 1052:
        case 1181: break; // shown in the lists beside
        default: display = edit(item.nDisplayID, QString(), QString()); break;
        }
        if (display)
            grid->addLayout(display, i, 1);
        LedLamp *led = MakeLed(item.ledID);
        grid->addWidget(led, i, 2);
        AddParam(ParamEntry{item.nChkID, item.nDisplayID, item.ledID, led});
    }
    int row = static_cast<int>(kStatusItems.size());
    auto *options = new QHBoxLayout;
    options->addWidget(MakeCheck(IDC_TIMED_REFRESH, tr("定时刷新")));
    options->addWidget(MakeCheck(IDC_TIMED_SAVE, tr("定时保存")));
    options->addWidget(MakeLabel(IDC_SAVE_PERIOD_LABEL, tr("频率(秒)")));
    QLineEdit *period = MakeEdit(IDC_SAVE_PERIOD);
    period->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), period));
    period->setMaximumWidth(50);
    options->addWidget(period);
    options->addStretch(1);
    m_pStaleNote = MakeLabel(IDC_STALE_NOTE, QString());
    m_pStaleNote->setStyleSheet(QStringLiteral("color: #a06000;"));
    m_pStaleNote->hide();
    options->addWidget(m_pStaleNote);
    grid->addLayout(options, row, 0, 1, 3);
    auto *bar = new QWidget(this);
    auto *buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(MakeCheck(IDC_SELECT_ALL, tr("全选")));
    buttons->addStretch(1);
    m_pReadButton = new QPushButton(tr("读 取"), this);
    m_pReadButton->setAutoDefault(false);
    buttons->addWidget(m_pReadButton);
    buttons->addWidget(MakeButton(IDC_CLEAR, tr("清空")));
    QPushButton *chart = MakeButton(IDC_CHART_BUTTON, tr("曲线"));
    connect(chart, &QPushButton::clicked, this, [this] { OpenChartWindow(); });
    buttons->addWidget(chart);
    grid->addWidget(bar, row + 1, 0, 1, 3);
    grid->setRowStretch(row + 2, 1);
    return box;
}

QWidget *LiveStatusPage::BuildListsBox()
{
    auto *box = new QWidget(this);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    auto makeList = [this](int id) {
        auto *list = new UserListCtrl(this);
        list->SetListId(id);
        list->verticalHeader()->hide();
        RegisterControl(id, list);
        return list;
    };
    m_pCellList = makeList(IDC_CELL_LIST);
    m_pTempList = makeList(IDC_TEMP_LIST);
    m_pExtremeList = makeList(IDC_EXTREME_LIST);
    m_pPicture = new SocPicture(this);
    RegisterControl(IDC_SOC_PICTURE, m_pPicture);
    grid->addWidget(m_pCellList, 0, 0, 2, 1);
    auto *pictureRow = new QHBoxLayout;
    pictureRow->addWidget(m_pPicture);
    pictureRow->addWidget(m_pTempList, 1);
    grid->addLayout(pictureRow, 0, 1);
    grid->addWidget(m_pExtremeList, 1, 1);
    // The extreme values keep the height of their fixed rows; the temperatures take the rest.
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    return box;
}

void LiveStatusPage::FitExtremeListHeight()
{
    UserListCtrl *list = m_pExtremeList;
    const int rows = list->GetItemCount();
    const int height = list->horizontalHeader()->sizeHint().height() +
                       rows * list->verticalHeader()->defaultSectionSize() + 2 * list->frameWidth();
    list->setMinimumHeight(height);
    list->setMaximumHeight(height);
}

// Edits whose values are wider than the room the layout would give them.
void LiveStatusPage::SetEditMinimumWidths()
{
    static const std::pair<int, const char *> kWidest[] = {
        {1150, "V255.255.255"}, {1151, "V255.255.255"}, {1173, "655350"}, {1175, "-327670"}};
    for (auto [id, sample] : kWidest) {
        QWidget *edit = GetDlgItem(id);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString::fromUtf8(sample)) + 12);
    }
}

namespace {
// Columns of the three lists: header, width as w * num / den + add (w being
// the list's client width), and the widest text the column may have to show.
struct ListColumn {
    int listId;
    const char *header;
    int num, den, add;
    const char *widest;
};
constexpr ListColumn kListColumns[] = {
    {IDC_CELL_LIST, QT_TRANSLATE_NOOP("LiveStatusPage", "节"), 3, 22, 0, "32"},
    {IDC_CELL_LIST, QT_TRANSLATE_NOOP("LiveStatusPage", "单节电压(mV)"), 12, 22, 10,
     QT_TRANSLATE_NOOP("LiveStatusPage", "单节最大电压 9999")},
    {IDC_CELL_LIST, QT_TRANSLATE_NOOP("LiveStatusPage", "均衡"), 5, 22, -10,
     QT_TRANSLATE_NOOP("LiveStatusPage", "均衡")},
    {IDC_EXTREME_LIST, QT_TRANSLATE_NOOP("LiveStatusPage", "名称"), 7, 11, 5,
     QT_TRANSLATE_NOOP("LiveStatusPage", "历史单节最高电压 (mV)")},
    {IDC_EXTREME_LIST, QT_TRANSLATE_NOOP("LiveStatusPage", "值"), 3, 11, -5, "-3276.8"},
    {IDC_TEMP_LIST, QT_TRANSLATE_NOOP("LiveStatusPage", "名称"), 3, 7, 0,
     QT_TRANSLATE_NOOP("LiveStatusPage", "温度16")},
    {IDC_TEMP_LIST, QT_TRANSLATE_NOOP("LiveStatusPage", "值(℃)"), 3, 7, 0, "-3276.8"},
};
// Client width assumed before the page is first laid out.
constexpr int kNominalListWidth = 260;
// Room a cell needs beside its text (margins and grid line).
constexpr int kCellPadding = 8;
} // namespace

void LiveStatusPage::SetListMinimumWidths()
{
    for (int id : {IDC_CELL_LIST, IDC_TEMP_LIST, IDC_EXTREME_LIST}) {
        auto *list = Item<UserListCtrl>(id);
        const QFontMetrics fm = list->fontMetrics();
        int client = 0;
        for (const ListColumn &c : kListColumns) {
            if (c.listId != id)
                continue;
            const int text = std::max(fm.horizontalAdvance(tr(c.header)), fm.horizontalAdvance(tr(c.widest)));
            client = std::max(client, ((text + kCellPadding - c.add) * c.den + c.num - 1) / c.num);
        }
        // The extreme values never scroll (their height fits every row); the other lists may.
        const int scrollBar = id == IDC_EXTREME_LIST ? 0 : list->verticalScrollBar()->sizeHint().width();
        list->setMinimumWidth(client + 2 * list->frameWidth() + scrollBar);
    }
}

void LiveStatusPage::CreateListColumns()
{
    QHash<int, int> next;
    for (const ListColumn &c : kListColumns)
        Item<UserListCtrl>(c.listId)->InsertColumn(next[c.listId]++, tr(c.header),
                                                   kNominalListWidth * c.num / c.den + c.add);
    for (const char *name : kExtremeRowNames)
        m_pExtremeList->AppendRow({QCoreApplication::translate("StatusDecode", name), QString()});
    for (int id : {IDC_CELL_LIST, IDC_TEMP_LIST, IDC_EXTREME_LIST}) {
        auto *list = Item<UserListCtrl>(id);
        list->installEventFilter(this);
        // A column the user has dragged keeps the widths of its list from then on.
        connect(list->horizontalHeader(), &QHeaderView::sectionResized, this, [this, id] {
            if (!m_bFittingColumns)
                m_userSizedLists.insert(id);
        });
    }
}

void LiveStatusPage::FitListColumns(int listId, int clientWidth)
{
    if (m_userSizedLists.contains(listId) || clientWidth <= 0)
        return;
    m_bFittingColumns = true;
    int column = 0;
    for (const ListColumn &c : kListColumns)
        if (c.listId == listId)
            Item<UserListCtrl>(listId)->SetColumnWidth(column++, clientWidth * c.num / c.den + c.add);
    m_bFittingColumns = false;
}

bool LiveStatusPage::eventFilter(QObject *watched, QEvent *event)
{
    // The columns follow the client width of their list as the window is sized.
    if (event->type() == QEvent::Resize) {
        auto *list = qobject_cast<UserListCtrl *>(watched);
        if (list && list->m_nListId) {
            int w = static_cast<QResizeEvent *>(event)->size().width() - 2 * list->frameWidth();
            if (list->verticalScrollBar()->isVisibleTo(list))
                w -= list->verticalScrollBar()->sizeHint().width();
            FitListColumns(list->m_nListId, w);
        }
    }
    return RowPageBase::eventFilter(watched, event);
}

void LiveStatusPage::LoadSocImages()
{
    QSize last;
    for (int k = 0; k <= 10; ++k) {
        m_socImages[static_cast<std::size_t>(k)] = LoadSocImage(k);
        if (!m_socImages[static_cast<std::size_t>(k)].isNull())
            last = m_socImages[static_cast<std::size_t>(k)].size();
    }
    if (last.isValid())
        m_pPicture->setFixedSize(last);
    m_pPicture->ShowEmpty(m_socImages[0]); // the picture is there before the first SOC
}

void LiveStatusPage::ResetMosLamps()
{
    for (int id : {IDC_MOS_CHARGE, IDC_MOS_DISCHARGE, IDC_MOS_PRE})
        Item<LedLamp>(id)->SetLed(LedLamp::kGreen, LedLamp::kDark, LedLamp::kRound);
}

int LiveStatusPage::ShownImage() const
{
    return m_pPicture ? m_pPicture->ShownImage() : -1;
}

// ------------------------------------------------------------ activation

bool LiveStatusPage::OnSetActive()
{
    if (!RowPageBase::OnSetActive())
        return false;
    m_bAutoRefresh = IsDlgButtonChecked(IDC_TIMED_REFRESH) != 0;
    if (GetDlgItemText(1068).toInt() != 0 && m_ucSoc != 0)
        SetTimer(TIMER_SOC_SHOW, 100);
    SetTimer(TIMER_RECORD, m_nSaveInterval);
    SetTimer(TIMER_BATCH, 1000);
    return true;
}

void LiveStatusPage::OnKillActive()
{
    m_bAutoRefresh = false;
    if (m_nAnimTimer) {
        StopAnimation();
        DrawSocPicture(false);
    }
    if (Host() && Host()->IsPortOpen())
        EmptyQueues();
    KillTimer(TIMER_RECORD);
    KillTimer(TIMER_BATCH);
}

void LiveStatusPage::EmptyQueues()
{
    Host()->ClearQueues();
}

void LiveStatusPage::OnTimer(int id)
{
    switch (id) {
    case TIMER_IDLE_TICK: OnIdleTick(); break;
    case TIMER_SOC_ANIM: OnAnimationTick(); break;
    case TIMER_SOC_SHOW:
        DrawSocPicture(false);
        KillTimer(TIMER_SOC_SHOW);
        break;
    case TIMER_STALE: CheckStale(); break;
    case TIMER_RECORD:
        // Values that stopped coming (a silent board, a closed or lost port)
        // are not recorded as new.
        if (IsDlgButtonChecked(IDC_TIMED_SAVE) && !RecordIsStale()) {
            Trace("触发保存 %s \n", qPrintable(m_wallClock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
            WriteStatusRecord();
        }
        break;
    case TIMER_BATCH: {
        std::uint32_t now = m_clock();
        if (!m_bAutoRefresh || !m_bBatchMode || static_cast<std::int32_t>(now - m_dwNextBatchMs) <= 0)
            break;
        if (!Host() || !Host()->IsPortOpen()) {
            // The port closed under a running refresh: one row when it pauses
            // (not one every period); it goes on by itself after the next opening.
            if (!m_bRefreshPaused)
                RequestBatchStatus(-2);
            m_bRefreshPaused = true;
            break;
        }
        m_bRefreshPaused = false;
        m_dwNextBatchMs = now + static_cast<std::uint32_t>(std::clamp(m_nSaveInterval, 3000, 10000));
        RequestBatchStatus(-2);
        Trace("触发刷新 %s \n", qPrintable(m_wallClock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
        break;
    }
    default: break;
    }
}

// ------------------------------------------------------------ gestures

void LiveStatusPage::OnReadButton()
{
    Trace("点击按钮 旧协议 %d \n", m_bBatchMode ? 1 : 0);
    if (m_bBatchMode) {
        Trace("点击按钮 新协议\n");
        RequestBatchStatus(-1);
    } else {
        Trace("点击按钮 旧协议 \n");
        ReadParams(-1);
    }
}

void LiveStatusPage::OnItemCheckClicked(int chkID)
{
    // The base has set the lamp of a ticked row idle; batch mode reads every item.
    if (m_bBatchMode)
        CheckDlgButton(chkID, 1);
}

void LiveStatusPage::OnSelectAllClicked()
{
    if (m_bBatchMode) {
        CheckDlgButton(IDC_SELECT_ALL, 1);
        CheckAllParams(1);
    }
}

void LiveStatusPage::OnTimedRefreshClicked()
{
    bool open = Host() && Host()->IsPortOpen();
    bool checked = IsDlgButtonChecked(IDC_TIMED_REFRESH) != 0;
    if (checked && !open) {
        MessageBox(tr("请先打开串口后再进行操作！"), tr("警告"), MB_ICONWARNING);
        CheckDlgButton(IDC_TIMED_REFRESH, 0);
        return;
    }
    if (checked)
        ResetReqCount();
    else if (open)
        EmptyQueues();
    m_bAutoRefresh = checked;
}

void LiveStatusPage::OnPortIdle()
{
    if (Host()->ActivePage() != this || !IsDlgButtonChecked(IDC_TIMED_REFRESH))
        return;
    QMetaObject::invokeMethod(
        this, [this] { OnTimer(TIMER_IDLE_TICK); }, Qt::QueuedConnection);
}

void LiveStatusPage::OnIdleTick()
{
    if (!m_bAutoRefresh || m_bBatchMode || !Host() || !Host()->TxQueueEmpty())
        return;
    if (AnyParamChecked(false)) {
        if (!AnyParamChecked(true))
            CheckAllParams(1);
        ResetLeds(true);
    }
    ReadParams(-2);
}

// ------------------------------------------------------------ SOC picture

void LiveStatusPage::DrawSocPicture(bool animate)
{
    int k = animate ? AnimationImageIndex(m_nAnimFrame) : SocImageIndex(m_ucSoc);
    m_pPicture->Show(k, m_socImages[static_cast<std::size_t>(k)], m_ucSoc);
    m_nAnimFrame = k + 1;
}

void LiveStatusPage::DriveSocPicture(std::int32_t currentMa)
{
    if (currentMa < 0) {
        if (m_nAnimTimer)
            StopAnimation();
        DrawSocPicture(false);
    } else if (currentMa <= 200) {
        DrawSocPicture(false);
    } else {
        if (!m_nAnimTimer) {
            SetTimer(TIMER_SOC_ANIM, 400);
            m_nAnimTimer = TIMER_SOC_ANIM;
        }
        m_dwLastChargeMs = m_clock();
    }
}

void LiveStatusPage::OnAnimationTick()
{
    std::uint32_t limit = 20u * static_cast<std::uint32_t>(Host() ? Host()->CommandInterval() : 400);
    if (static_cast<std::int32_t>(m_clock() - (m_dwLastChargeMs + limit)) > 0) {
        StopAnimation();
        DrawSocPicture(false);
    } else {
        DrawSocPicture(true);
    }
}

void LiveStatusPage::StopAnimation()
{
    KillTimer(TIMER_SOC_ANIM);
    m_nAnimTimer = 0;
}

// ------------------------------------------------------------ clear

void LiveStatusPage::OnBoardSwitched()
{
    // The active page was cleared by the switch itself; one in the
    // background is cleared here.
    if (Host() && Host()->ActivePage() != this) {
        OnBtnClickClear();
        ResetLeds(false);
    }
    ForgetBoardValues();
    m_strBoardSn.clear(); // the other board has an SN of its own
    m_pChartFeed->OnBoardSwitched();
    if (m_bBatchMode)
        RequestBatchStatus(-2);
}

void LiveStatusPage::ForgetBoardValues()
{
    m_pDate->setDate(m_pDate->minimumDate());
    if (m_nAnimTimer)
        StopAnimation();
    m_ucSoc = 0;
    m_pPicture->ShowEmpty(m_socImages[0]);
    m_record = StatusRecord{};
}

void LiveStatusPage::OnBtnClickClear()
{
    static const int kKept[] = {IDC_PROTECTION_LIST, IDC_ALARM_LIST, IDC_MOS_CHARGE, IDC_CELL_LIST, 1124, 1159,
                                IDC_EXTREME_LIST};
    for (const StatusItem &item : kStatusItems)
        if (std::find(std::begin(kKept), std::end(kKept), item.nDisplayID) == std::end(kKept))
            SetDlgItemText(item.nDisplayID, QString());
    for (int id : {1151, 1175, 1070})
        SetDlgItemText(id, QString());
    m_pProtection->clear();
    m_pAlarm->clear();
    ResetMosLamps();
    m_pCellList->DeleteAllItems();
    m_pTempList->DeleteAllItems();
    for (int r = 0; r < m_pExtremeList->GetItemCount(); ++r)
        m_pExtremeList->SetItemText(r, 1, QString());
    // Nothing shown, nothing stale.
    for (std::size_t i : m_freshness.Forget())
        SetStale(static_cast<int>(i), false);
    ShowStaleNote();
}
