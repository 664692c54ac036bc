#include "ui/ProgressCtrl.h"

#include <QProgressBar>

void CProgressCtrl::SetRange(std::uint16_t lower, std::uint16_t upper) {
    if (m_pBar == nullptr) {
        return;
    }
    // An empty range would turn the bar into a busy indicator; it stays an
    // ordinary bar that shows nothing instead.
    m_pBar->setRange(lower, upper > lower ? upper : lower + 1);
}

void CProgressCtrl::SetPos(int position) {
    if (m_pBar != nullptr) {
        m_pBar->setValue(position);
    }
}

void CProgressCtrl::EnableWindow(bool enable) {
    if (m_pBar != nullptr) {
        m_pBar->setEnabled(enable);
    }
}
