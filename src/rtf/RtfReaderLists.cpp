// The reader's lists: the labels other writers draw before list paragraphs,
// the classic {\*\pn ...} form and word processors' list tables, and the
// QTextLists the paragraphs join.
#include "rtf/RtfReaderImpl.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>

namespace rtf::detail {

// ---- list labels ----

// A list label as the writer drew it ("1.", a bullet, then a tab) stays in
// the text, since the document keeps no list numbering of its own.
void Reader::startListText()
{
    place();
    flushText();
    m_st.listText = true;
    m_listStart = m_pendingPar ? -1 : m_cursor.position();
}

// A label that is only blanks (an outline heading without a number leaves a
// lone tab) would shift the paragraph's text, so it goes.
void Reader::endListText()
{
    flushText();
    if (m_pendingPar)
        return;
    const int start = m_listStart < 0 ? m_cursor.block().position() : m_listStart;
    if (start >= m_cursor.position())
        return;
    QTextCursor label(m_doc);
    label.setPosition(start);
    label.setPosition(m_cursor.position(), QTextCursor::KeepAnchor);
    if (label.selectedText().trimmed().isEmpty()) {
        label.removeSelectedText();
    } else {
        m_labelFrom = start;
        m_labelTo = m_cursor.position();
    }
}

// ---- lists ----

void Reader::pnWord(kw::Id id, bool hasParam, int param)
{
    ListLevel &pn = m_st.para.pn;
    switch (id) {
    case kw::PnLvl: pn.level = std::clamp(param, 1, 9); break;
    case kw::PnLvlBlt:
        pn.level = 1;
        pn.style = QTextListFormat::ListDisc;
        break;
    case kw::PnLvlBody:
        pn.level = 1;
        if (pn.style == 0)
            pn.style = QTextListFormat::ListDecimal;
        break;
    case kw::PnLvlCont: pn.level = 0; break;
    case kw::PnDec: pn.style = QTextListFormat::ListDecimal; break;
    case kw::PnUcLtr: pn.style = QTextListFormat::ListUpperAlpha; break;
    case kw::PnLcLtr: pn.style = QTextListFormat::ListLowerAlpha; break;
    case kw::PnUcRm: pn.style = QTextListFormat::ListUpperRoman; break;
    case kw::PnLcRm: pn.style = QTextListFormat::ListLowerRoman; break;
    case kw::PnStart:
        if (hasParam)
            pn.start = std::clamp(param, 0, 32767);
        break;
    case kw::PnTxtB: m_st.dest = Dest::PnText; break;
    case kw::PnNewList: pn.fresh = true; break;
    default: break;
    }
}

void Reader::listTableWord(kw::Id id, int param)
{
    const bool table = m_st.dest == Dest::ListTable;
    switch (id) {
    case kw::List:
        if (table && m_wordLists.size() < 1024)
            m_wordLists.emplace_back();
        break;
    case kw::ListLevel:
        if (table && !m_wordLists.empty() && m_wordLists.back().levels.size() < 9)
            m_wordLists.back().levels.push_back({int(m_wordLists.back().levels.size()) + 1, 0, 1});
        break;
    case kw::LevelNfc:
        if (table && !m_wordLists.empty() && !m_wordLists.back().levels.empty()) {
            int style = 0; // 255 and others: no number, not a list item
            switch (param) {
            case 0: style = QTextListFormat::ListDecimal; break;
            case 1: style = QTextListFormat::ListUpperRoman; break;
            case 2: style = QTextListFormat::ListLowerRoman; break;
            case 3: style = QTextListFormat::ListUpperAlpha; break;
            case 4: style = QTextListFormat::ListLowerAlpha; break;
            case 23: style = QTextListFormat::ListDisc; break;
            default: break;
            }
            m_wordLists.back().levels.back().style = style;
        }
        break;
    case kw::LevelStartAt:
        if (table && !m_wordLists.empty() && !m_wordLists.back().levels.empty())
            m_wordLists.back().levels.back().start = std::clamp(param, 0, 32767);
        break;
    case kw::ListId:
        if (table && !m_wordLists.empty())
            m_wordLists.back().id = param;
        else if (!table)
            m_overrideId = param;
        break;
    case kw::ListOverride: m_overrideId = 0; break;
    case kw::Ls:
        if (!table && m_overrides.size() < 4096)
            m_overrides.insert(param, m_overrideId);
        break;
    default: break;
    }
}

ListLevel Reader::listLevelOf(const Para &p) const
{
    // A word processor's own list (\ls, \ilvl) comes first: the {\*\pn}
    // some write beside it is for older readers and may flatten the levels.
    // A list number the file never defines (an outline label, say) is no list.
    if (p.ls > 0 && p.itap <= 1) {
        if (const auto over = m_overrides.constFind(p.ls); over != m_overrides.cend())
            return wordListLevel(*over, p.ls, p.ilvl);
    }
    ListLevel result;
    if (p.pn.level > 0) {
        result = p.pn;
        if (result.style == 0 || result.style >= QTextListFormat::ListSquare) { // a bullet: which one
            const char16_t b = p.pnBullet.unicode();
            result.style = b == 'o' ? QTextListFormat::ListCircle
                         : b == 0xA7 || b == 0x25AA || b == 'n' ? QTextListFormat::ListSquare
                                                                 : QTextListFormat::ListDisc;
        }
    }
    return result;
}

ListLevel Reader::wordListLevel(int listId, int ls, int ilvl) const
{
    const int level = std::clamp(ilvl, 0, 8);
    ListLevel result{level + 1, QTextListFormat::ListDisc, 1, ls};
    for (const WordList &list : m_wordLists) {
        if (list.id != listId)
            continue;
        // A level the list does not define takes its last one's numbering.
        if (!list.levels.empty()) {
            const ListLevel &def = list.levels[std::min<std::size_t>(level, list.levels.size() - 1)];
            result.style = def.style;
            result.start = def.start;
        }
        if (result.style == 0)
            result.level = 0;
        break;
    }
    return result;
}

// Paragraphs of one list follow each other; a deeper level starts a list of
// its own, and coming back continues the outer one. Lists that look alike
// stay apart when the file says they are two (\ls, \pnnewlist).
void Reader::applyList(const ListLevel &list)
{
    if (list.level <= 0) {
        if (m_lists[0]) {
            std::fill(std::begin(m_lists), std::end(m_lists), nullptr);
        }
        return;
    }
    const int level = std::clamp(list.level, 1, 9);
    if (m_lists[level] && m_listLevels[level] == list) {
        m_lists[level]->add(m_cursor.block());
    } else {
        QTextListFormat f;
        f.setStyle(QTextListFormat::Style(list.style));
        f.setIndent(level);
        if (list.start != 1)
            f.setProperty(ListStartProperty, list.start);
        m_lists[level] = m_cursor.createList(f);
        m_listLevels[level] = list;
        m_listLevels[level].fresh = false; // the paragraphs after it continue it
    }
    m_lists[0] = m_lists[level]; // marks that some list is open
    for (int deeper = level + 1; deeper < 10; ++deeper)
        m_lists[deeper] = nullptr;
}

} // namespace rtf::detail
