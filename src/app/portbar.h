// Widgets of the port bar.
#pragma once

#include "link/portprofile.h"

#include <QComboBox>

#include <functional>

// The port list: editable (a device path may be typed) and refreshed each
// time it is opened.
class PortCombo : public QComboBox {
    Q_OBJECT
public:
    explicit PortCombo(QWidget *parent = nullptr);
    std::function<void()> m_onBeforePopup;
    void showPopup() override;
};

// Selects the first entry that begins with text (or the first entry);
// returns the index selected, -1 for an empty list.
int SelectByPrefix(QComboBox *combo, const QString &text);
// Selects the entry that is exactly name; an empty name selects the first
// entry. A name not in the list selects nothing and stays as the list's text,
// so opening it names it as missing instead of opening another device.
int SelectExactPort(QComboBox *combo, const QString &name);
