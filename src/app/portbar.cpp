#include "app/portbar.h"

#include "app/framework/ledlamp.h"
#include "app/mainwindow.h"
#include "app/retranslate.h"
#include "lang/language.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

PortCombo::PortCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMinimumContentsLength(8);
}

void PortCombo::showPopup()
{
    if (m_onBeforePopup)
        m_onBeforePopup();
    QComboBox::showPopup();
}

int SelectByPrefix(QComboBox *combo, const QString &text)
{
    if (combo->count() == 0) {
        combo->setCurrentIndex(-1);
        return -1;
    }
    int found = 0;
    if (!text.isEmpty()) {
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemText(i).startsWith(text, Qt::CaseInsensitive)) {
                found = i;
                break;
            }
        }
    }
    combo->setCurrentIndex(found);
    return found;
}

int SelectExactPort(QComboBox *combo, const QString &name)
{
    if (name.isEmpty())
        return SelectByPrefix(combo, name);
    const int at = combo->findText(name);
    combo->setCurrentIndex(at);
    if (at < 0)
        combo->setEditText(name);
    return at;
}

QWidget *MainWindow::BuildPortBar()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(5, 0, 5, 0);
    struct PortList {
        int labelId;
        const char *label;
        int listId;
        QStringList entries;
    };
    const PortList lists[] = {
        {1294, QT_TRANSLATE_NOOP("MainWindow", "COM口"), IDC_PORT_LIST, {}},
        {1006, QT_TRANSLATE_NOOP("MainWindow", "波特率"), IDC_BAUD_LIST, BaudEntries()},
        {1182, QT_TRANSLATE_NOOP("MainWindow", "数据位"), IDC_DATABITS_LIST, DataBitsEntries()},
        {1291, QT_TRANSLATE_NOOP("MainWindow", "校验位"), IDC_PARITY_LIST, ParityEntries()},
        {1333, QT_TRANSLATE_NOOP("MainWindow", "停止位"), IDC_STOPBITS_LIST, StopBitsEntries()},
    };
    for (const PortList &list : lists) {
        row->addWidget(RegisterControl(list.labelId, new QLabel(tr(list.label), bar)));
        QComboBox *combo = nullptr;
        if (list.listId == IDC_PORT_LIST) {
            auto *ports = new PortCombo(bar);
            ports->m_onBeforePopup = [this] { RefreshPortList(); };
            combo = ports;
        } else {
            combo = new QComboBox(bar);
            combo->addItems(list.entries);
        }
        // The device names are the longest entries; the port list takes the most room.
        row->addWidget(RegisterControl(list.listId, combo), list.listId == IDC_PORT_LIST ? 3 : 1);
    }
    auto *open = new QPushButton(tr("打开串口"), bar);
    open->setAutoDefault(false);
    connect(open, &QPushButton::clicked, this, &MainWindow::OnBtnClickOpenPort);
    row->addWidget(RegisterControl(IDC_OPEN_PORT, open));

    auto *mainBoard = new QRadioButton(tr("主电"), bar);
    auto *secondBoard = new QRadioButton(tr("副电"), bar);
    mainBoard->setChecked(true);
    connect(mainBoard, &QRadioButton::clicked, this, &MainWindow::OnBoardSwitch);
    connect(secondBoard, &QRadioButton::clicked, this, &MainWindow::OnBoardSwitch);
    row->addWidget(RegisterControl(IDC_MAIN_BOARD, mainBoard));
    row->addWidget(RegisterControl(IDC_SECONDARY_BOARD, secondBoard));

    auto *reconnect = new QCheckBox(tr("自动重连"), bar);
    reconnect->setChecked(m_settings.autoReconnect);
    reconnect->setToolTip(tr("串口意外断开后，设备重新出现时按原设置自动重新打开"));
    connect(reconnect, &QCheckBox::clicked, this, &MainWindow::OnAutoReconnectClicked);
    row->addWidget(RegisterControl(IDC_AUTO_RECONNECT, reconnect));

    row->addWidget(RegisterControl(1337, new QLabel(QStringLiteral("TXD"), bar)));
    m_pTxLed = new LedLamp(bar);
    row->addWidget(RegisterControl(IDC_TX_LED, m_pTxLed));
    row->addWidget(RegisterControl(1307, new QLabel(QStringLiteral("RXD"), bar)));
    m_pRxLed = new LedLamp(bar);
    row->addWidget(RegisterControl(IDC_RX_LED, m_pRxLed));

    auto *about = new QToolButton(bar);
    about->setText(QStringLiteral("?"));
    about->setToolTip(tr("关于 Pylvex (F1)"));
    connect(about, &QToolButton::clicked, this, &MainWindow::OnAbout);
    row->addWidget(RegisterControl(IDC_ABOUT, about));
    return bar;
}

QWidget *MainWindow::BuildLanguagePicker()
{
    // The language picker names each language in itself, so either can be
    // found. It sits at the right of the status line, where it takes no room
    // from the port settings.
    auto *picker = new QWidget(this);
    auto *row = new QHBoxLayout(picker);
    row->setContentsMargins(0, 0, 0, 0);
    auto *languageLabel = new QLabel(QStringLiteral("语言 / Language"), picker);
    languageLabel->setObjectName(QStringLiteral("languageLabel"));
    auto *language = new QComboBox(picker);
    language->setObjectName(QStringLiteral("languageList"));
    language->setFrame(false); // no taller than the status line's text
    language->addItem(QStringLiteral("中文"), lang::Code(lang::Language::Chinese));
    language->addItem(QStringLiteral("English"), lang::Code(lang::Language::English));
    language->setCurrentIndex(lang::Current() == lang::Language::English ? 1 : 0);
    languageLabel->setBuddy(language);
    connect(language, &QComboBox::activated, this, [this, language](int index) {
        if (const auto chosen = lang::FromCode(language->itemData(index).toString())) {
            SwitchLanguage(*chosen);
            UpdateStatusLine(); // built from parts, so built again
        }
    });
    row->addWidget(languageLabel);
    row->addWidget(language);
    return picker;
}
