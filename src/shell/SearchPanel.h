#pragma once
#include "store/Search.h"

#include <QAbstractListModel>
#include <QList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QToolButton;

// One listed match, with what the list shows of it.
struct PanelHit
{
    SearchHit hit;
    QString path;   // the node path
    QString line;   // the line around the match, cut to fit
    int matchAt = 0; // where the match begins in `line`
};

class SearchResultsModel : public QAbstractListModel
{
public:
    enum Role { HitRole = Qt::UserRole + 1 };
    using QAbstractListModel::QAbstractListModel;
    void setHits(QList<PanelHit> hits);
    const PanelHit &hit(int row) const { return m_hits.at(row); }
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QList<PanelHit> m_hits;
};

// The results of Find in All Items, under the explorer: the search text and
// its options, the count, and one row per match (node path, then the line
// with the match marked).
class SearchPanel : public QWidget
{
    Q_OBJECT
public:
    // At most this many matches are listed; the count says how many there are.
    static constexpr int MaxListed = 100000;

    explicit SearchPanel(QWidget *parent = nullptr);

    SearchQuery query() const;
    // Shows the panel with the search text selected, ready for typing.
    void focusSearchText();
    void showResults(QList<PanelHit> hits, qsizetype total, int nodes, const QRegularExpression &expression);
    void showStatus(const QString &text);

    int hitCount() const { return m_model->rowCount(); }
    const PanelHit &hit(int row) const { return m_model->hit(row); }
    // The row last gone to, where F3 goes on from; -1 for none yet.
    int currentRow() const { return m_goneTo; }
    void setCurrentRow(int row);
    // The expression the listed matches were found with.
    const QRegularExpression &expression() const { return m_expression; }
    QString statusText() const;

    ItemTextCache cache;

    QLineEdit *edtSearchText = nullptr;
    QCheckBox *chkSearchRegex = nullptr;
    QCheckBox *chkSearchCase = nullptr;
    QCheckBox *chkSearchWord = nullptr;
    QCheckBox *chkSearchNames = nullptr;
    QToolButton *btnSearchClose = nullptr;
    QLabel *lblSearchCount = nullptr;
    QListView *lstSearchResults = nullptr;

Q_SIGNALS:
    void searchRequested();
    void hitActivated(int row);

protected:
    void showEvent(QShowEvent *event) override;

private:
    SearchResultsModel *m_model;
    QRegularExpression m_expression;
    int m_goneTo = -1;
};
