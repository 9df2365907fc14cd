#pragma once
#include <QList>
#include <QRect>

class QSplitter;
class QWidget;

// The main window's placement in "Position": the outer frame's left and
// top, the size of its normal (restored) rectangle, the explorer's width
// and the window state.
struct WindowPlacement
{
    QRect rect{7, 8, 626, 461};
    int treeWidth = 159;
    Qt::WindowState state = Qt::WindowMaximized;
};

// The stored placement. When any of the five integers cannot be read, all
// five take their defaults; a "State" that names no state is maximized.
WindowPlacement ReadWindowPlacement();

// Keeps a placement usable on the screens there are: a size that is not
// positive or larger than the screen is brought within it, a window off
// every screen goes back onto `primary`, and the explorer leaves the
// editor room.
WindowPlacement FitWindowPlacement(WindowPlacement placement, const QList<QRect> &screens,
                                   const QRect &primary, int minTreeWidth);

// Applies the stored placement to `form` (before it is shown) and the
// explorer's width to the first panel of `splitter`, and keeps track of
// the normal rectangle from then on.
void LoadWindowPosition(QWidget *form, QSplitter *splitter);
// Writes the normal rectangle, the state and the explorer's width. A
// minimized window is stored as normal: the next start must be seen.
void SaveWindowPosition(QWidget *form, QSplitter *splitter);

// The least room the editor keeps beside the explorer.
constexpr int MinEditorWidth = 100;
