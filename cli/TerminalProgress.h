#pragma once

#include "platform/ProgressControl.h"

#include <cstdio>

// The progress bar of quorvel-export: a line on a terminal, redrawn only when
// its width in cells changes, and cleared when the run sets the position back
// to 0. On anything but a terminal (or when quiet) it draws nothing.
class TerminalProgress final : public ProgressControl {
  public:
    // total: the number of contacts the run covers, known to the caller in
    // full (the range message carries only its low 16 bits).
    TerminalProgress(std::FILE* stream, bool draw, long long total);

    void SetRange(std::uint16_t lower, std::uint16_t upper) override;
    void SetPos(int position) override;
    void EnableWindow(bool /*enable*/) override {}

    static bool IsTerminal(std::FILE* stream);

  private:
    static constexpr int kWidth = 40;

    std::FILE* m_stream;
    bool m_bDraw;
    long long m_nTotal;
    int m_nCells = -1;  // cells drawn; -1: nothing on the line
};
