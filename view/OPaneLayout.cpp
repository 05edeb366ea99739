#include "view/OPaneLayout.h"

#include "platform/OOffsetFormat.h"

#include <algorithm>

namespace {

int DecimalDigits(OOffset value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

} // namespace

void OPaneLayout::Compute(const Input& in) {
    charWidth = std::max(1, in.charWidth);
    lineHeight = std::max(1, in.lineHeight);
    offsetOn = in.offsetPane;
    hexOn = in.hexPane || !in.textPane; // one byte pane is always shown
    textOn = in.textPane;
    const int top = 0;
    const int bottom = in.clientHeight;
    int x = 0;
    gutter = {x, top, x + kGutterWidth, bottom};
    x = gutter.right;

    // Wide enough for the hex offset of the width class and for the record count.
    const OOffset records = in.fileLength / std::max(1, in.recordWidth) + 1;
    const int countChars = DecimalDigits(std::max<OOffset>(records, 0)) + 1;
    const unsigned widthClass = OffsetFormat::ClassFor(in.fileLength);
    const int classChars = widthClass == 2 ? 5 : widthClass == 4 ? 9 : 18;
    offsetChars = std::max(classChars, countChars);
    if (offsetOn) {
        offset = {x, top, x + offsetChars * charWidth + 3, bottom};
        offsetText = {offset.left, top, offset.right - 3, bottom};
        x = offset.right;
    } else {
        offset = offsetText = {x, top, x, bottom};
    }
    separator1 = {x, top, x + kSeparatorWidth, bottom};
    x = separator1.right;

    const int remaining = std::max(0, in.clientWidth - x);
    if (hexOn) {
        const int width =
            textOn ? 3 * std::max(0, remaining - 2 * in.margin - kSeparatorWidth) / 4 : remaining;
        hex = {x, top, x + width, bottom};
        hexText = {hex.left + in.margin, top, std::max(hex.left + in.margin, hex.right - in.margin),
                   bottom};
        x = hex.right;
    } else {
        hex = hexText = {x, top, x, bottom};
    }
    if (hexOn && textOn) {
        separator2 = {x, top, x + kSeparatorWidth, bottom};
        x = separator2.right;
    } else {
        separator2 = {x, top, x, bottom};
    }
    if (textOn) {
        text = {x, top, std::max(x, in.clientWidth), bottom};
        textText = {text.left + in.margin, top,
                    std::max(text.left + in.margin, text.right - in.margin), bottom};
    } else {
        text = textText = {x, top, x, bottom};
    }
    bytesThatFit =
        hexOn ? (hexText.Width() + charWidth) / (3 * charWidth) : textText.Width() / charWidth;
    bytesThatFit = std::max(1, bytesThatFit);
}

OPane OPaneLayout::PaneAt(int x, int y) const {
    if (gutter.Contains(x, y)) return OPane::Gutter;
    if (offsetOn && offset.Contains(x, y)) return OPane::Offset;
    if (hexOn && hex.Contains(x, y)) return OPane::Hex;
    if (textOn && text.Contains(x, y)) return OPane::Text;
    return OPane::None;
}

bool OPaneLayout::CellAt(int x, int y, int& row, int& column) const {
    const OPane pane = PaneAt(x, y);
    if (pane != OPane::Hex && pane != OPane::Text) return false;
    const ORect& area = pane == OPane::Hex ? hexText : textText;
    if (x < area.left) return false;
    const int perByte = pane == OPane::Hex ? 3 : 1;
    column = (x - area.left) / charWidth / perByte;
    row = (y - area.top) / lineHeight;
    return column < bytesThatFit;
}

void OPaneLayout::NearestCell(int x, int y, int& row, int& column) const {
    row = y < hexText.top ? 0 : (y - hexText.top) / lineHeight;
    const bool inText = textOn && (x >= text.left || !hexOn);
    const ORect& area = inText ? textText : hexText;
    const int step = charWidth * (inText ? 1 : 3);
    column = x < area.left ? 0 : std::min((x - area.left) / step, bytesThatFit - 1);
}

int OPaneLayout::CellLeft(OPane pane, int column) const {
    if (pane == OPane::Hex) return hexText.left + column * 3 * charWidth;
    return textText.left + column * charWidth;
}
