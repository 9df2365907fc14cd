#pragma once
#include <QIcon>

class QPainter;

// Small tool-bar pictures drawn in code, so the program needs no icon theme.
// Each is drawn when first shown: a menu's pictures cost nothing at start-up.
enum class ToolIcon {
    New, Open, Save, Branch, Item, Cut, Copy, Paste, Font, Bold, Italic, Underline, TextColour,
    AlignLeft, AlignCenter, AlignRight, Print, Preview, Find, Options
};
QIcon MakeToolIcon(ToolIcon kind);
// The program's own picture: a notebook whose page holds a small tree.
QIcon MakeAppIcon();
// Paints that picture into a square of `size` pixels at the painter's
// origin (the desktop icons are made from it too).
void PaintAppIcon(QPainter &p, int size);
