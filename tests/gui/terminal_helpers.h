// Helpers of the terminal page tests: the page on a fake host with its
// serial panel pointed at a pseudo-terminal, and readers of the display.
#pragma once

#include "app/pages/terminalnetpanel.h"
#include "app/pages/terminalpage.h"
#include "app/pages/terminalserialpanel.h"
#include "unit/test_link_pty.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QtTest>

// Points the serial panel at a device path typed into its port list.
inline void ChoosePort(TerminalSerialPanel *uart, const QString &device)
{
    auto *ports = uart->Item<QComboBox>(IDC_UART_PORT);
    ports->lineEdit()->clear();
    QTest::keyClicks(ports->lineEdit(), device);
    QCOMPARE(ports->currentText(), device);
}

// The display's lines without their time stamps; false when a line has none.
inline QStringList DisplayLines(const TerminalPage *page)
{
    QStringList lines = page->Display()->toPlainText().split(u'\n', Qt::SkipEmptyParts);
    static const QRegularExpression stamp(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d\\] "));
    QStringList out;
    for (const QString &line : lines) {
        QRegularExpressionMatch m = stamp.match(line);
        out << (m.hasMatch() ? line.mid(m.capturedLength()) : QStringLiteral("!") + line);
    }
    return out;
}

inline std::vector<std::uint8_t> BytesOf(const QByteArray &b)
{
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

inline QByteArray ToArray(const std::vector<std::uint8_t> &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), static_cast<qsizetype>(b.size()));
}
