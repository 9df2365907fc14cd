#include "rtf/RtfKeywords.h"

#include <algorithm>
#include <iterator>

namespace rtf::kw {

namespace {

struct Entry
{
    std::string_view name;
    Id id;
};

// Sorted by name for binary search; a hash would allocate per lookup.
constexpr Entry kTable[] = {
    {"aftncn", SkipDest},
    {"aftnsep", SkipDest},
    {"aftnsepc", SkipDest},
    {"annotation", SkipDest},
    {"ansi", Ansi},
    {"ansicpg", AnsiCpg},
    {"atnauthor", SkipDest},
    {"atndate", SkipDest},
    {"atnicn", SkipDest},
    {"atnid", SkipDest},
    {"atnparent", SkipDest},
    {"atnref", SkipDest},
    {"atntime", SkipDest},
    {"atrfend", SkipDest},
    {"atrfstart", SkipDest},
    {"b", B},
    {"bin", Bin},
    {"bkmkend", SkipDest},
    {"bkmkstart", SkipDest},
    {"blue", Blue},
    {"bullet", Bullet},
    {"cell", Cell},
    {"cf", Cf},
    {"colorschememapping", SkipDest},
    {"colortbl", ColorTable},
    {"comment", SkipDest},
    {"datastore", SkipDest},
    {"deff", Deff},
    {"dibitmap", OtherBlip},
    {"do", SkipDest},
    {"emdash", EmDash},
    {"emfblip", OtherBlip},
    {"emspace", EmSpace},
    {"endash", EnDash},
    {"enspace", EnSpace},
    {"f", F},
    {"fbidi", FBidi},
    {"fcharset", FCharset},
    {"fdecor", FDecor},
    {"filetbl", SkipDest},
    {"fldinst", SkipDest},
    {"fmodern", FModern},
    {"fnil", FNil},
    {"fonttbl", FontTable},
    {"footer", SkipDest},
    {"footerf", SkipDest},
    {"footerl", SkipDest},
    {"footerr", SkipDest},
    {"footnote", SkipDest},
    {"fprq", FPrq},
    {"froman", FRoman},
    {"fs", Fs},
    {"fscript", FScript},
    {"fswiss", FSwiss},
    {"ftech", FTech},
    {"ftncn", SkipDest},
    {"ftnsep", SkipDest},
    {"ftnsepc", SkipDest},
    {"generator", SkipDest},
    {"green", Green},
    {"header", SkipDest},
    {"headerf", SkipDest},
    {"headerl", SkipDest},
    {"headerr", SkipDest},
    {"i", I},
    {"info", SkipDest},
    {"jpegblip", JpegBlip},
    {"latentstyles", SkipDest},
    {"ldblquote", LDblQuote},
    {"line", Line},
    {"listoverridetable", SkipDest},
    {"listtable", SkipDest},
    {"lquote", LQuote},
    {"ltrmark", LtrMark},
    {"mac", Mac},
    {"macpict", OtherBlip},
    {"mmathPr", SkipDest},
    {"nestcell", Cell},
    {"nonshppict", SkipDest},
    {"object", SkipDest},
    {"page", Page},
    {"par", Par},
    {"pard", Pard},
    {"pc", Pc},
    {"pca", Pca},
    {"pgdsctbl", SkipDest},
    {"pich", PicH},
    {"pichgoal", PicHGoal},
    {"picscalex", PicScaleX},
    {"picscaley", PicScaleY},
    {"pict", Pict},
    {"picw", PicW},
    {"picwgoal", PicWGoal},
    {"plain", Plain},
    {"pmmetafile", OtherBlip},
    {"pn", SkipDest},
    {"pngblip", PngBlip},
    {"private", SkipDest},
    {"qc", Qc},
    {"qj", Qj},
    {"ql", Ql},
    {"qmspace", QmSpace},
    {"qr", Qr},
    {"rdblquote", RDblQuote},
    {"red", Red},
    {"revtbl", SkipDest},
    {"rquote", RQuote},
    {"rsidtbl", SkipDest},
    {"rtf", Rtf},
    {"rtlmark", RtlMark},
    {"sect", Sect},
    {"shppict", ShpPict},
    {"strike", Strike},
    {"striked", Strike},
    {"stylesheet", SkipDest},
    {"tab", Tab},
    {"tc", SkipDest},
    {"themedata", SkipDest},
    {"txe", SkipDest},
    {"u", U},
    {"uc", Uc},
    {"ul", Ul},
    {"uld", UlOn},
    {"uldash", UlOn},
    {"uldashd", UlOn},
    {"uldashdd", UlOn},
    {"uldb", UlOn},
    {"ulhwave", UlOn},
    {"ulldash", UlOn},
    {"ulnone", UlNone},
    {"ulth", UlOn},
    {"ulthd", UlOn},
    {"ulthdash", UlOn},
    {"ulthdashd", UlOn},
    {"ulthdashdd", UlOn},
    {"ulthldash", UlOn},
    {"ululdbwave", UlOn},
    {"ulw", UlOn},
    {"ulwave", UlOn},
    {"userprops", SkipDest},
    {"wbitmap", OtherBlip},
    {"wmetafile", OtherBlip},
    {"xe", SkipDest},
    {"xmlnstbl", SkipDest},
    {"zwj", Zwj},
    {"zwnj", Zwnj},
};

constexpr bool isSorted()
{
    for (std::size_t i = 1; i < std::size(kTable); ++i) {
        if (!(kTable[i - 1].name < kTable[i].name))
            return false;
    }
    return true;
}
static_assert(isSorted(), "keyword table must stay sorted");

} // namespace

Id lookup(std::string_view word)
{
    const auto it = std::lower_bound(std::begin(kTable), std::end(kTable), word,
                                     [](const Entry &e, std::string_view w) { return e.name < w; });
    if (it != std::end(kTable) && it->name == word)
        return it->id;
    return Unknown;
}

} // namespace rtf::kw
