#include "ui/resources/MainIcon.h"

namespace {

// clang-format off
const char* const kIcon32[] = {
    "................................",
    "................................",
    ".....0000000000000000000000.....",
    ".....0444444444444444444440.....",
    ".....0444444444444444444440.....",
    ".....0444FFFFFFFFFFFFFFFF40.....",
    "...777774FFFFFFFFFFFFFFFF80.....",
    "...888884FFFFFFFFFFFFFFFF80.....",
    ".....0444FFFFFF6666FFFFFF80.....",
    ".....0444FFFFF666666FFFFF80.....",
    ".....0444FFFFF666666FFFFF80.....",
    "...777774FFFFF666666FFFFF80.....",
    "...888884FFFFF666666FFFFF80.....",
    ".....0444FFFFFF6666FFFFFF80.....",
    ".....0444FFFFFFFFFFFFFFFF80.....",
    ".....0444FFFFFFFFFFFFFFFF80.....",
    "...777774FFFFFF6666FFFFFF80.....",
    "...888884FFFF66666666FFFF80.....",
    ".....0444FFF6666666666FFF80.....",
    ".....0444FFF6666666666FFF80.....",
    ".....0444FF666666666666FF80.....",
    "...777774FF666666666666FF80.....",
    "...888884FFFFFFFFFFFFFFFF80.....",
    ".....0444FF777777777777FF80B....",
    ".....0444FFFFFFFFFFFFFFFF80BB...",
    "...777774FFFFFFFFFFBBBBBBBBBBB..",
    "...888884FFFFFFFFFFBBBBBBBBBBBB.",
    ".....04444888888888BBBBBBBBBBB..",
    ".....0444444444444444444440BB...",
    ".....0000000000000000000000B....",
    "................................",
    "................................",
};

const char* const kIcon16[] = {
    "................",
    "..04444444444...",
    "..04FFFFFFFF4...",
    ".888FFFFFFFF8...",
    "..04FFF666FF8...",
    "..04FFF666FF8...",
    ".888FFF666FF8...",
    "..04FFFFFFFF8...",
    "..04FFF666FF8...",
    ".888FF66666F8...",
    "..04FF66666F8...",
    "..04F777777F8B..",
    ".888FFFFFBBBBBB.",
    "..0448888BBBBBB.",
    "..00000000000B..",
    "................",
};
// clang-format on

}  // namespace

const std::array<QRgb, 16>& IconPalette() {
    static const std::array<QRgb, 16> palette = {
        qRgb(0x00, 0x00, 0x00), qRgb(0x80, 0x00, 0x00), qRgb(0x00, 0x80, 0x00),
        qRgb(0x80, 0x80, 0x00), qRgb(0x00, 0x00, 0x80), qRgb(0x80, 0x00, 0x80),
        qRgb(0x00, 0x80, 0x80), qRgb(0xC0, 0xC0, 0xC0), qRgb(0x80, 0x80, 0x80),
        qRgb(0xFF, 0x00, 0x00), qRgb(0x00, 0xFF, 0x00), qRgb(0xFF, 0xFF, 0x00),
        qRgb(0x00, 0x00, 0xFF), qRgb(0xFF, 0x00, 0xFF), qRgb(0x00, 0xFF, 0xFF),
        qRgb(0xFF, 0xFF, 0xFF),
    };
    return palette;
}

const char* const* MainIconRows(int size) {
    if (size == 32) {
        return kIcon32;
    }
    if (size == 16) {
        return kIcon16;
    }
    return nullptr;
}

QImage MainIconImage(int size) {
    const char* const* rows = MainIconRows(size);
    if (rows == nullptr) {
        return {};
    }
    // 16 palette colours plus one transparent entry.
    QImage image(size, size, QImage::Format_Indexed8);
    QList<QRgb> table(IconPalette().begin(), IconPalette().end());
    table.append(qRgba(0, 0, 0, 0));
    image.setColorTable(table);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const char c = rows[y][x];
            int index = 16;
            if (c >= '0' && c <= '9') {
                index = c - '0';
            } else if (c >= 'A' && c <= 'F') {
                index = c - 'A' + 10;
            }
            image.setPixel(x, y, static_cast<uint>(index));
        }
    }
    return image;
}

QIcon LoadMainIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(MainIconImage(32)));
    icon.addPixmap(QPixmap::fromImage(MainIconImage(16)));
    return icon;
}
