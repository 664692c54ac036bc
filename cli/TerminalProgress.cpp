#include "cli/TerminalProgress.h"

#include <unistd.h>

TerminalProgress::TerminalProgress(std::FILE* stream, bool draw, long long total)
    : m_stream(stream), m_bDraw(draw), m_nTotal(total) {}

bool TerminalProgress::IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

void TerminalProgress::SetRange(std::uint16_t /*lower*/, std::uint16_t /*upper*/) {}

void TerminalProgress::SetPos(int position) {
    if (!m_bDraw || m_nTotal <= 0) {
        return;
    }
    if (position <= 0) {
        if (m_nCells >= 0) {
            std::fputs("\r\033[K", m_stream);
            std::fflush(m_stream);
            m_nCells = -1;
        }
        return;
    }
    const long long done = position < m_nTotal ? position : m_nTotal;
    const int cells = static_cast<int>(done * kWidth / m_nTotal);
    if (cells == m_nCells) {
        return;
    }
    m_nCells = cells;
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) {
        bar[i] = i < cells ? '#' : '.';
    }
    bar[kWidth] = '\0';
    std::fprintf(m_stream, "\r[%s] %3lld%%", bar, done * 100 / m_nTotal);
    std::fflush(m_stream);
}
