#include "store/TreeFormat.h"

#include "settings/Product.h"
#include "store/Cp1252.h"
#include "store/NodeTree.h"

#include <QLocale>
#include <cstring>
#include <QTreeWidgetItem>

namespace {
QDate g_fixedToday;
}

NodeItem::NodeItem(const QString &name, int key) : QTreeWidgetItem(Type), m_key(key), m_name(name)
{
    ++s_live;
}

NodeItem::~NodeItem()
{
    --s_live;
}

QVariant NodeItem::data(int column, int role) const
{
    if (column == 0 && role == Qt::UserRole)
        return m_key;
    if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole))
        return m_name;
    if (column == 0 && role == Qt::DecorationRole) {
        const QIcon icon = NodeIcon(IsItemKey(m_key));
        if (!icon.isNull())
            return icon;
    }
    return QTreeWidgetItem::data(column, role);
}

void NodeItem::setData(int column, int role, const QVariant &value)
{
    if (column == 0 && role == Qt::UserRole) {
        m_key = value.toInt();
        emitDataChanged();
        return;
    }
    if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole))
        m_name = value.toString();
    QTreeWidgetItem::setData(column, role, value);
}

int NodeKey(const QTreeWidgetItem *node)
{
    if (!node)
        return 0;
    if (node->type() == NodeItem::Type)
        return static_cast<const NodeItem *>(node)->key();
    return node->data(0, Qt::UserRole).toInt();
}

void SetNodeKey(QTreeWidgetItem *node, int key)
{
    node->setData(0, Qt::UserRole, key);
}

bool IsRoot(const QTreeWidgetItem *node) { return IsRootKey(NodeKey(node)); }
bool IsBranch(const QTreeWidgetItem *node) { return IsBranchKey(NodeKey(node)); }
bool IsItem(const QTreeWidgetItem *node) { return IsItemKey(NodeKey(node)); }

QByteArray NodeLineFor(int key, int parentKey, const QString &name)
{
    QByteArray line = QByteArray::number(key);
    line += ' ';
    line += QByteArray::number(parentKey);
    line += ' ';
    line += ToCp1252(name);
    return line;
}

QByteArray NodeLine(const QTreeWidgetItem *node, int key)
{
    if (!node || !node->parent() || NodeKey(node->parent()) == 0)
        return QByteArray(RootLine);
    return NodeLineFor(key ? key : NodeKey(node), NodeKey(node->parent()), node->text(0));
}

namespace {

// Writes `value` in decimal at `out`; answers the number of digits.
int putDecimal(char *out, int value)
{
    char tmp[12];
    int n = 0;
    unsigned v = unsigned(value < 0 ? -value : value);
    do {
        tmp[n++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    int len = 0;
    if (value < 0)
        out[len++] = '-';
    while (n)
        out[len++] = tmp[--n];
    return len;
}

} // namespace

bool NodeLineMatches(QByteArrayView line, const QTreeWidgetItem *node)
{
    if (!node || !node->parent() || NodeKey(node->parent()) == 0)
        return line == QByteArrayView(RootLine);
    char prefix[32];
    int n = putDecimal(prefix, NodeKey(node));
    prefix[n++] = ' ';
    n += putDecimal(prefix + n, NodeKey(node->parent()));
    prefix[n++] = ' ';
    const QString name = node->text(0);
    if (line.size() != n + name.size() || std::memcmp(line.data(), prefix, size_t(n)) != 0)
        return false;
    const char *bytes = line.data() + n;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const int b = Cp1252Byte(name[i].unicode());
        if (char(b < 0 ? '?' : b) != bytes[i])
            return false;
    }
    return true;
}

bool ParseKeyField(QByteArrayView field, int *key)
{
    if (field.isEmpty() || field.size() > 9)
        return false;
    int value = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    *key = value;
    return true;
}

bool IsKeyLine(QByteArrayView line)
{
    if (line.size() != 7)
        return false;
    for (char c : line)
        if (c < '0' || c > '9')
            return false;
    return true;
}

QString TodayText()
{
    const QDate today = g_fixedToday.isValid() ? g_fixedToday : QDate::currentDate();
    QString pattern = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (pattern.isEmpty())
        pattern = QStringLiteral("M/d/yy");
    return QLocale::system().toString(today, pattern);
}

void SetTodayForTesting(const QDate &date)
{
    g_fixedToday = date;
}

QByteArray HeaderLine()
{
    return ToCp1252(QString(ProductName() + QStringLiteral(" Ver. ") + VersionString()));
}

QList<QByteArray> NewFileTemplateLines()
{
    const QByteArray today = ToCp1252(TodayText());
    return {HeaderLine(),
            "Created: " + today,
            "LastSaved: " + today,
            "Res1",
            "Res2",
            "Res3",
            "Tree",
            RootLine,
            "3000001 1000000 New Item",
            EndLine,
            "Data",
            EndLine};
}

QList<QByteArray> SplitLines(const QByteArray &text)
{
    QList<QByteArray> lines;
    const char *p = text.constData();
    const char *end = p + text.size();
    while (p < end) {
        const char *s = p;
        while (p < end && *p != '\r' && *p != '\n')
            ++p;
        lines.append(QByteArray(s, p - s));
        if (p < end && *p++ == '\r' && p < end && *p == '\n')
            ++p;
    }
    return lines;
}

QByteArray JoinLines(const QList<QByteArray> &lines)
{
    qsizetype size = 0;
    for (const QByteArray &l : lines)
        size += l.size() + 2;
    QByteArray out;
    out.reserve(size);
    for (const QByteArray &l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}
