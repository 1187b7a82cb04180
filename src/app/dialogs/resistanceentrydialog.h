// "填写参数": edits a row of fourteen values (open-circuit voltages, charge or
// discharge internal resistances) or the 20 bytes of the register block, one
// value per box. OK checks every box in order and closes only when all are
// accepted.
#pragma once

#include "app/framework/ctrlregistry.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <span>

struct FillInKind;

class ResistanceEntryDialog : public QDialog, public CtrlRegistry {
    Q_OBJECT
public:
    static constexpr int kBoxes = 20;
    // Label and edit box ids of the 20 pairs, in order.
    struct BoxIds {
        int label;
        int edit;
    };
    static const std::array<BoxIds, kBoxes> &Boxes();

    // kind: the id of the box the dialog edits (1065, 1255, 1281 or 1184);
    // values: prefilled values, missing ones are 0.
    ResistanceEntryDialog(int kind, std::span<const std::int32_t> values, QWidget *parent = nullptr);

    int Kind() const { return m_nKind; }
    // Number of values edited: 14, or 20 in register mode.
    int Count() const { return m_nCount; }
    bool IsRegisterMode() const;
    // The values, as accepted by OK (or as prefilled before).
    const std::array<std::int32_t, kBoxes> &Values() const { return m_values; }

    // "确定": checks the boxes 1 to n in order.
    void accept() override;

private:
    void Refuse(int editId, const QString &text);

    const FillInKind *m_pKind = nullptr;
    int m_nKind = 0;
    int m_nCount = 0;
    std::array<std::int32_t, kBoxes> m_values{};
};
