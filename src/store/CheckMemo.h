#pragma once
#include <QByteArray>
#include <QList>
#include <QObject>

class MasterFile;
class QTreeWidget;
struct DocState;

// Remembers the last explorer and node section for which the integrity check
// passed. A store point changes neither, so it need not compare 100,000
// nodes again to learn the same answer. Any change of the explorer's model
// forgets it; so does any change of the node section, which is seen at once
// because the remembered list shares the master's and every change of a
// shared list makes a new one.
class CheckMemo : public QObject
{
    Q_OBJECT
public:
    static CheckMemo &of(QTreeWidget *tree);

    bool passed(const MasterFile &master) const;
    void remember(const MasterFile &master);
    void forget();

private:
    explicit CheckMemo(QTreeWidget *tree);

    quint64 m_generation = 0; // counts changes of the explorer's model
    quint64 m_passedGeneration = 0;
    QList<QByteArray> m_passedNodes;
    bool m_valid = false;
};

// AutoCheck, unless it has already passed for this very explorer and node
// section. Answers whether the check passes.
bool AutoCheckIfChanged(QTreeWidget *tree, DocState &doc);
