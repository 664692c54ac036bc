#pragma once

#include "platform/ProgressControl.h"

class QProgressBar;

// The progress bar (IDC_PROGRESS) as the export runs drive it. Bound to the
// dialog's bar by data exchange (Attach).
class CProgressCtrl final : public ProgressControl {
  public:
    void Attach(QProgressBar* bar) { m_pBar = bar; }

    void SetRange(std::uint16_t lower, std::uint16_t upper) override;
    void SetPos(int position) override;
    void EnableWindow(bool enable) override;

  private:
    QProgressBar* m_pBar = nullptr;
};
