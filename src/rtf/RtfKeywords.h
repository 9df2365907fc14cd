#pragma once
#include <string_view>

// The control words the reader acts on. Everything else is ignored, except
// that an unknown word after \* makes its group skipped.
namespace rtf::kw {

enum Id {
    Unknown,
    // destinations we read
    Rtf, FontTable, ColorTable, Pict, ShpPict,
    // destinations read as ordinary text even after \* (field results, shape instructions...)
    ReadDest,
    // list labels, their text kept unless blank
    ListText,
    // \upr with its Unicode \ud alternative; shape properties
    Upr, Ud, Sp, Sn, Sv,
    // destinations skipped whole
    SkipDest,
    // document
    Ansi, Mac, Pc, Pca, AnsiCpg, Deff, Uc, U, Bin,
    // font table
    F, FCharset, FPrq, Cpg, FNil, FRoman, FSwiss, FModern, FScript, FDecor, FTech, FBidi,
    // colour table
    Red, Green, Blue,
    // character formatting
    Fs, B, I, Ul, UlOn, UlNone, Strike, Cf, Plain,
    // paragraphs
    Pard, Ql, Qc, Qr, Qj, Par, Line, Tab, Cell, Page, Sect,
    // special characters
    EmDash, EnDash, LQuote, RQuote, LDblQuote, RDblQuote, Bullet, EmSpace, EnSpace,
    QmSpace, Zwj, Zwnj, LtrMark, RtlMark, Zwbo, Zwnbo,
    // footnote reference mark
    Chftn,
    // picture kinds
    PngBlip, JpegBlip, OtherBlip,
    // picture sizes
    PicW, PicH, PicWGoal, PicHGoal, PicScaleX, PicScaleY,
    // paragraph formatting
    Li, Ri, Fi, Sb, Sa, Sl, SlMult, Tx, Tqr, Tqc, Tqdec, PageBb, Highlight, Cb,
    // links: the field instruction
    FldInst,
    // lists: the classic form \pn and the word processors' list tables
    Pn, PnLvl, PnLvlBlt, PnLvlBody, PnLvlCont, PnDec, PnUcLtr, PnLcLtr, PnUcRm, PnLcRm, PnStart, PnTxtB, PnNewList,
    ListTable, ListOverrideTable, List, ListLevel, LevelNfc, LevelStartAt, ListId, ListOverride, Ls, Ilvl,
    // tables
    Trowd, CellX, Intbl, Row, Itap, NestCell, NestRow, ClFtsWidth, ClwWidth, ClMgf, ClMrg, ClvMgf, ClvMrg,
};

Id lookup(std::string_view word);

} // namespace rtf::kw
