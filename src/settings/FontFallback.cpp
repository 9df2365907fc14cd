#include "settings/FontFallback.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace {

enum class Kind { Sans, Serif, Mono };

struct KnownFace {
    const char *face;
    Kind kind;
    const char *lookAlike; // metric-compatible free face, if any
};

// Faces the program and its users' documents commonly name.
constexpr KnownFace kKnownFaces[] = {
    {"MS Sans Serif", Kind::Sans, "Liberation Sans"},
    {"Microsoft Sans Serif", Kind::Sans, "Liberation Sans"},
    {"Arial", Kind::Sans, "Liberation Sans"},
    {"Helvetica", Kind::Sans, "Liberation Sans"},
    {"Tahoma", Kind::Sans, "DejaVu Sans"},
    {"Verdana", Kind::Sans, "DejaVu Sans"},
    {"Segoe UI", Kind::Sans, "Noto Sans"},
    {"Arial Narrow", Kind::Sans, "Liberation Sans Narrow"},
    {"MS Serif", Kind::Serif, "Liberation Serif"},
    {"Times New Roman", Kind::Serif, "Liberation Serif"},
    {"Times", Kind::Serif, "Liberation Serif"},
    {"Georgia", Kind::Serif, "DejaVu Serif"},
    {"Courier New", Kind::Mono, "Liberation Mono"},
    {"Courier", Kind::Mono, "Liberation Mono"},
    {"Lucida Console", Kind::Mono, "DejaVu Sans Mono"},
    {"Consolas", Kind::Mono, "DejaVu Sans Mono"},
};

const KnownFace *FindKnown(const QString &face)
{
    for (const KnownFace &k : kKnownFaces)
        if (face.compare(QLatin1String(k.face), Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

QStringList CandidatesFor(Kind kind)
{
    switch (kind) {
    case Kind::Serif:
        return {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"), QStringLiteral("DejaVu Serif"),
                QStringLiteral("Noto Serif"), QStringLiteral("FreeSerif")};
    case Kind::Mono:
        return {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"), QStringLiteral("DejaVu Sans Mono"),
                QStringLiteral("Noto Sans Mono"), QStringLiteral("FreeMono")};
    case Kind::Sans:
        break;
    }
    return {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans"),
            QStringLiteral("Noto Sans"), QStringLiteral("FreeSans")};
}

bool HaveFontDatabase() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }

QFont::StyleHint HintFor(const QString &face)
{
    const KnownFace *known = FindKnown(face);
    if (!known)
        return QFont::AnyStyle;
    switch (known->kind) {
    case Kind::Serif: return QFont::Serif;
    case Kind::Mono: return QFont::Monospace;
    case Kind::Sans: break;
    }
    return QFont::SansSerif;
}

} // namespace

QString InstalledFaceFor(const QString &face)
{
    if (!HaveFontDatabase() || face.isEmpty() || QFontDatabase::hasFamily(face))
        return face;
    const KnownFace *known = FindKnown(face);
    QStringList candidates;
    if (known && known->lookAlike)
        candidates << QLatin1String(known->lookAlike);
    candidates << CandidatesFor(known ? known->kind : Kind::Sans);
    for (const QString &c : std::as_const(candidates))
        if (QFontDatabase::hasFamily(c))
            return c;
    const QString general = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    return general.isEmpty() ? face : general;
}

void SetFontFace(QFont &font, const QString &face)
{
    const QString installed = InstalledFaceFor(face);
    if (installed.compare(face, Qt::CaseInsensitive) == 0)
        font.setFamilies({face});
    else
        font.setFamilies({face, installed});
    font.setStyleHint(HintFor(face));
}
