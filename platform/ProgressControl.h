#pragma once

#include <cstdint>

// The progress bar, as the export runs drive it.
class ProgressControl {
  public:
    virtual ~ProgressControl() = default;
    // 16-bit bounds, as the bar's range message carries them.
    virtual void SetRange(std::uint16_t lower, std::uint16_t upper) = 0;
    virtual void SetPos(int position) = 0;
    virtual void EnableWindow(bool enable) = 0;
};
