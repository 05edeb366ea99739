#pragma once

#include "platform/OTypes.h"

// Where the gutter and the three panes stand in the window, in pixels, and
// which byte a point falls on. Plain arithmetic over the measured cell size,
// so the layout is tested without a window.
enum class OPane { None, Gutter, Offset, Hex, Text };

struct ORect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

class OPaneLayout {
public:
    static constexpr int kGutterWidth = 16;
    static constexpr int kSeparatorWidth = 3;

    struct Input {
        int clientWidth = 0;
        int clientHeight = 0;
        int charWidth = 1;
        int lineHeight = 1;
        bool offsetPane = true;
        bool hexPane = true;
        bool textPane = true;
        OOffset fileLength = 0;
        int recordWidth = 16;
        int margin = 3;
        bool operator==(const Input&) const = default;
    };

    void Compute(const Input& input);

    // Whole pane rectangles, and the areas the characters are drawn in.
    ORect gutter, offset, offsetText, separator1, hex, hexText, separator2, text, textText;
    bool offsetOn = true, hexOn = true, textOn = true;
    int offsetChars = 0;  // characters the offset column holds
    int bytesThatFit = 1; // record bytes the byte panes have room for
    int charWidth = 1;
    int lineHeight = 1;

    // The pane under a point; a hidden pane contains no point.
    OPane PaneAt(int x, int y) const;
    // Row and visible column of the byte cell under a point in the hex or
    // text pane; false outside them.
    bool CellAt(int x, int y, int& row, int& column) const;
    // The cell nearest to any point: rows from the pane top (0 above it),
    // the column in the pane the point is in or nearest to (0 left of the
    // byte panes, the last that fits past a pane's last cell).
    void NearestCell(int x, int y, int& row, int& column) const;
    // Left edge of a visible column's cell in the pane (hex: its first digit).
    int CellLeft(OPane pane, int column) const;
};
