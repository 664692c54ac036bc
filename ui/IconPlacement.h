#pragma once

// Where a minimised dialog draws its icon: centred in the client area, with
// signed integer divisions that truncate toward zero.
struct IconPosition {
    int x;
    int y;
};

inline IconPosition CenteredIconPosition(int clientWidth, int clientHeight, int iconWidth,
                                         int iconHeight) {
    return IconPosition{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
