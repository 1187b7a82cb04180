// The pack's MOS switches and cell balancing as the board is commanded to set them.
#include "sim/sim_pack.h"

void PackModel::SwitchMos(std::uint8_t mosBit, bool on)
{
    if (mosBit == MosBit::Precharge) {
        m_preDischargeOn = on;
        if (on)
            m_mosOff &= static_cast<std::uint8_t>(~MosBit::Precharge);
        else
            m_mosOff |= MosBit::Precharge;
        return;
    }
    if (on)
        m_mosOff &= static_cast<std::uint8_t>(~mosBit);
    else
        m_mosOff |= mosBit;
    // A switched-off MOS carries no current from now on.
    if (!on && ((mosBit & MosBit::Charge && m_currentMa > 0) || (mosBit & MosBit::Discharge && m_currentMa < 0)))
        m_currentMa = 0;
}

bool PackModel::StartBalancing(int cell, double seconds)
{
    if (cell < 1 || cell > kCells)
        return false;
    m_forcedBalance[static_cast<std::size_t>(cell - 1)] = seconds > 0 ? seconds : 0;
    return true;
}

void PackModel::ResetSwitches()
{
    m_mosOff = 0;
    m_preDischargeOn = false;
    m_forcedBalance.fill(0);
}

std::uint32_t PackModel::ForcedBalanceBits() const
{
    std::uint32_t bits = 0;
    for (int i = 0; i < kCells; ++i)
        if (m_forcedBalance[static_cast<std::size_t>(i)] > 0)
            bits |= 1u << i;
    return bits;
}

void PackModel::StepSwitches(double dt)
{
    for (double &left : m_forcedBalance)
        left = left > dt ? left - dt : 0;
}
