#pragma once
#include "store/TreeFormat.h"

#include <QHash>
#include <QList>

// Node keys mapped to values, `Empty` standing for no value. New keys are the
// lowest free ones of their kind, so a document's keys lie packed just above
// the first branch key and the first item key: those are kept in two arrays
// indexed by that distance. A big document's nodes then sit side by side in
// memory, as they are read, instead of scattered over a hash table that no
// cache holds. Keys far from the others (a hand-edited or damaged file) go to
// a hash, so an odd key cannot make the arrays large. Copies share their
// content until one of them changes, as Qt's containers do.
template <typename T, T Empty> class KeyMap
{
public:
    void reserve(qsizetype count)
    {
        // Most keys of a big document are items.
        m_dense[1].values.reserve(count);
    }

    T value(int key) const
    {
        if (const T *slot = denseSlot(key))
            return *slot;
        return m_sparse.isEmpty() ? Empty : m_sparse.value(key, Empty);
    }
    bool contains(int key) const { return value(key) != Empty; }
    qsizetype size() const { return m_size; }

    // Sets the value of `key`; `Empty` removes it.
    void insert(int key, T value)
    {
        if (value == Empty) {
            remove(key);
            return;
        }
        if (T *slot = denseSlot(key, true)) {
            if (*slot == Empty) {
                ++m_size;
                ++m_dense[kindOf(key)].count;
            }
            *slot = value;
            return;
        }
        auto it = m_sparse.find(key);
        if (it == m_sparse.end()) {
            m_sparse.insert(key, value);
            ++m_size;
        } else {
            *it = value;
        }
    }

    void remove(int key)
    {
        if (T *slot = denseSlot(key, false)) {
            if (*slot != Empty) {
                *slot = Empty;
                --m_size;
                --m_dense[kindOf(key)].count;
            }
            return;
        }
        if (m_sparse.remove(key))
            --m_size;
    }

    void clear()
    {
        for (Dense &d : m_dense)
            d = {};
        m_sparse.clear();
        m_size = 0;
    }

private:
    struct Dense
    {
        QList<T> values;
        qsizetype count = 0; // values that are not Empty
    };

    // Branches from FirstBranchKey, items from FirstItemKey; -1 for other keys.
    static int kindOf(int key)
    {
        return IsBranchKey(key) ? 0 : key >= FirstItemKey && key <= LastItemKey ? 1 : -1;
    }
    static qsizetype offsetOf(int key) { return key - (IsBranchKey(key) ? FirstBranchKey : FirstItemKey); }

    const T *denseSlot(int key) const
    {
        const int kind = kindOf(key);
        if (kind < 0)
            return nullptr;
        const QList<T> &values = m_dense[kind].values;
        const qsizetype at = offsetOf(key);
        return at < values.size() ? values.constData() + at : nullptr;
    }

    // `grow`: makes room for a key near the others; null for a key far out.
    T *denseSlot(int key, bool grow)
    {
        const int kind = kindOf(key);
        if (kind < 0)
            return nullptr;
        Dense &d = m_dense[kind];
        const qsizetype at = offsetOf(key);
        if (at < d.values.size())
            return d.values.data() + at; // shared content is copied first
        if (!grow || at >= 2 * d.count + 4096)
            return nullptr;
        // Grows by doubling: keys far out that now fall inside move over,
        // which happens only as often as the array doubles.
        const qsizetype size = qMax(at + 1, qMax(d.values.capacity(), d.values.size() * 2));
        const qsizetype old = d.values.size();
        d.values.resize(size, Empty);
        if (!m_sparse.isEmpty()) {
            for (auto it = m_sparse.begin(); it != m_sparse.end();) {
                if (kindOf(it.key()) == kind && offsetOf(it.key()) >= old && offsetOf(it.key()) < size) {
                    d.values[offsetOf(it.key())] = it.value();
                    ++d.count;
                    it = m_sparse.erase(it);
                } else {
                    ++it;
                }
            }
        }
        return d.values.data() + at;
    }

    Dense m_dense[2];
    QHash<int, T> m_sparse;
    qsizetype m_size = 0;
};
