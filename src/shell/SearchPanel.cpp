#include "shell/SearchPanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>

void SearchResultsModel::setHits(QList<PanelHit> hits)
{
    beginResetModel();
    m_hits = std::move(hits);
    endResetModel();
}

int SearchResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_hits.size());
}

QVariant SearchResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_hits.size())
        return {};
    const PanelHit &h = m_hits.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QString(h.path + QLatin1Char('\n') + h.line);
    case Qt::ToolTipRole:
        return h.path;
    default:
        return {};
    }
}

namespace {

// Two lines a row: the node path (its end kept when it is cut), then the
// line with the match on the highlight colour.
class HitDelegate : public QStyledItemDelegate
{
public:
    HitDelegate(SearchResultsModel *model, QObject *parent) : QStyledItemDelegate(parent), m_model(model) {}

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(200, option.fontMetrics.height() * 2 + 6);
    }

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, p, o.widget);
        const PanelHit &h = m_model->hit(index.row());
        const QFontMetrics fm = option.fontMetrics;
        const QRect r = option.rect.adjusted(4, 2, -2, -2);
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette &pal = option.palette;
        p->save();
        p->setClipRect(option.rect);
        QColor pathColor = selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
        pathColor.setAlpha(170);
        p->setPen(pathColor);
        p->drawText(QRect(r.left(), r.top(), r.width(), fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    fm.elidedText(h.path, Qt::ElideLeft, r.width()));
        const QString before = h.line.left(h.matchAt);
        const QString match = h.line.mid(h.matchAt, h.hit.length);
        const QString after = h.line.mid(h.matchAt + match.size());
        int x = r.left();
        const int y = r.top() + fm.height();
        const QColor text = selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
        p->setPen(text);
        p->drawText(QPoint(x, y + fm.ascent()), before);
        x += fm.horizontalAdvance(before);
        QFont bold = option.font;
        bold.setBold(true);
        const QFontMetrics bfm(bold);
        const int w = bfm.horizontalAdvance(match);
        p->fillRect(QRect(x, y, w, fm.height()), selected ? pal.color(QPalette::Base) : pal.color(QPalette::Highlight));
        p->setPen(selected ? pal.color(QPalette::Text) : pal.color(QPalette::HighlightedText));
        p->setFont(bold);
        p->drawText(QPoint(x, y + fm.ascent()), match);
        x += w;
        p->setFont(option.font);
        p->setPen(text);
        p->drawText(QPoint(x, y + fm.ascent()), after);
        p->restore();
    }

private:
    SearchResultsModel *m_model;
};

QCheckBox *option(QWidget *parent, const char *name, const QString &caption, const QString &tip)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(tip);
    box->setStatusTip(tip);
    return box;
}

} // namespace

void SearchPanel::showEvent(QShowEvent *event)
{
    // The clear button's picture comes from the icon theme, a search the
    // start of the program need not wait for: the panel is hidden until used.
    edtSearchText->setClearButtonEnabled(true);
    QWidget::showEvent(event);
}

SearchPanel::SearchPanel(QWidget *parent) : QWidget(parent), m_model(new SearchResultsModel(this))
{
    setObjectName(QStringLiteral("pnlSearch"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(2);

    edtSearchText = new QLineEdit(this);
    edtSearchText->setObjectName(QStringLiteral("edtSearchText"));
    edtSearchText->setPlaceholderText(QStringLiteral("Find in all items"));
    edtSearchText->setStatusTip(QStringLiteral("The text to find; Enter searches every item"));
    btnSearchClose = new QToolButton(this);
    btnSearchClose->setObjectName(QStringLiteral("btnSearchClose"));
    btnSearchClose->setText(QStringLiteral("\u00d7"));
    btnSearchClose->setAutoRaise(true);
    btnSearchClose->setToolTip(QStringLiteral("Close the search results"));
    chkSearchRegex = option(this, "chkSearchRegex", QStringLiteral("Regular e&xpression"),
                            QStringLiteral("The text is a regular expression"));
    chkSearchCase = option(this, "chkSearchCase", QStringLiteral("Match &case"),
                           QStringLiteral("Upper and lower case letters differ"));
    chkSearchWord = option(this, "chkSearchWord", QStringLiteral("&Whole word"),
                           QStringLiteral("Only matches that are whole words"));
    chkSearchNames = option(this, "chkSearchNames", QStringLiteral("Node &names"),
                            QStringLiteral("Search the names of branches and items too"));
    lblSearchCount = new QLabel(this);
    lblSearchCount->setObjectName(QStringLiteral("lblSearchCount"));
    lblSearchCount->setWordWrap(true);
    lstSearchResults = new QListView(this);
    lstSearchResults->setObjectName(QStringLiteral("lstSearchResults"));
    lstSearchResults->setModel(m_model);
    lstSearchResults->setItemDelegate(new HitDelegate(m_model, lstSearchResults));
    lstSearchResults->setUniformItemSizes(true);
    lstSearchResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstSearchResults->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    grid->addWidget(edtSearchText, 0, 0, 1, 2);
    grid->addWidget(btnSearchClose, 0, 2);
    grid->addWidget(chkSearchRegex, 1, 0);
    grid->addWidget(chkSearchCase, 1, 1, 1, 2);
    grid->addWidget(chkSearchWord, 2, 0);
    grid->addWidget(chkSearchNames, 2, 1, 1, 2);
    grid->addWidget(lblSearchCount, 3, 0, 1, 3);
    grid->addWidget(lstSearchResults, 4, 0, 1, 3);
    grid->setRowStretch(4, 1);

    connect(edtSearchText, &QLineEdit::returnPressed, this, &SearchPanel::searchRequested);
    // Enter and a double click (the style's activation) go to the match.
    connect(lstSearchResults, &QAbstractItemView::activated, this,
            [this](const QModelIndex &index) { Q_EMIT hitActivated(index.row()); });
    connect(btnSearchClose, &QToolButton::clicked, this, &QWidget::hide);
}

SearchQuery SearchPanel::query() const
{
    SearchQuery q;
    q.text = edtSearchText->text();
    q.regex = chkSearchRegex->isChecked();
    q.matchCase = chkSearchCase->isChecked();
    q.wholeWord = chkSearchWord->isChecked();
    q.names = chkSearchNames->isChecked();
    return q;
}

void SearchPanel::focusSearchText()
{
    show();
    edtSearchText->setFocus(Qt::ShortcutFocusReason);
    edtSearchText->selectAll();
}

void SearchPanel::showResults(QList<PanelHit> hits, qsizetype total, int nodes,
                              const QRegularExpression &expression)
{
    m_expression = expression;
    const qsizetype listed = hits.size();
    m_model->setHits(std::move(hits));
    m_goneTo = -1;
    // Ready for the arrow keys and Enter; F3 still starts at the first match.
    lstSearchResults->setCurrentIndex(m_model->index(0));
    QString text = total == 0 ? QStringLiteral("No matches")
                              : QStringLiteral("%1 %2 in %3 %4")
                                    .arg(total)
                                    .arg(total == 1 ? QStringLiteral("match") : QStringLiteral("matches"))
                                    .arg(nodes)
                                    .arg(nodes == 1 ? QStringLiteral("node") : QStringLiteral("nodes"));
    if (listed < total)
        text += QStringLiteral(" (the first %1 listed)").arg(listed);
    lblSearchCount->setText(text);
}

void SearchPanel::showStatus(const QString &text)
{
    m_model->setHits({});
    m_goneTo = -1;
    lblSearchCount->setText(text);
}

QString SearchPanel::statusText() const
{
    return lblSearchCount->text();
}

void SearchPanel::setCurrentRow(int row)
{
    m_goneTo = row;
    const QModelIndex i = m_model->index(row);
    lstSearchResults->setCurrentIndex(i);
    lstSearchResults->scrollTo(i);
}
