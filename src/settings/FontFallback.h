#pragma once
#include <QFont>
#include <QString>

// Settings and stored documents name Windows faces ("MS Sans Serif",
// "Arial") that many machines lack. The font keeps the name as written, so
// it is saved back unchanged, and renders with a close installed face.

// An installed face that looks like `face`: the face itself when installed,
// otherwise a metric-compatible or same-kind (sans, serif, mono) face.
// Needs a QGuiApplication; without one, `face` is returned.
QString InstalledFaceFor(const QString &face);

// Sets `face` as the font's family, followed by InstalledFaceFor(face) when
// that differs, and a matching style hint. font.family() stays `face`.
void SetFontFace(QFont &font, const QString &face);
