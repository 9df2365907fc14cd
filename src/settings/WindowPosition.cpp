#include "settings/WindowPosition.h"

#include "settings/Registry.h"
#include "settings/SettingsTable.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QWidget>

using settings::Setting;

namespace {

const char *const kTrackerName = "WindowPlacementTracker";

bool ReadStoredInt(Setting id, int *value)
{
    const settings::SettingInfo &row = settings::Info(id);
    return ParseDecimalInt(GetRegistryValue(QLatin1String(row.section), QLatin1String(row.name), QString()), value);
}

// Follows the window's normal rectangle (outer frame position, client
// size) while it is in the normal state, so the rectangle is known however
// the window ends: maximized, minimized or under any window manager.
// It also gives the explorer its width once the splitter has its real
// size: sizes set before are only taken as proportions.
class PlacementTracker : public QObject
{
public:
    PlacementTracker(QWidget *form, const QRect &normal, QSplitter *splitter, int treeWidth)
        : QObject(form), m_form(form), normal(normal), m_splitter(splitter), m_treeWidth(treeWidth)
    {
        setObjectName(QLatin1String(kTrackerName));
        form->installEventFilter(this);
        if (splitter)
            splitter->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_splitter && event->type() == QEvent::Resize && m_treeWidth > 0) {
            const int room = m_splitter->width() - m_splitter->handleWidth();
            m_splitter->setSizes({qMin(m_treeWidth, room - 1), qMax(1, room - m_treeWidth)});
            m_treeWidth = 0;
        }
        if (watched == m_form && (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            && m_form->isVisible() && m_form->windowState() == Qt::WindowNoState)
            normal = QRect(m_form->frameGeometry().topLeft(), m_form->size());
        return false;
    }
    QWidget *m_form;
    QRect normal;
    QSplitter *m_splitter;
    int m_treeWidth;
};

bool CanPlaceWindows()
{
    // Under Wayland a program cannot place its window: only size and state count.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

WindowPlacement ReadWindowPlacement()
{
    WindowPlacement p;
    int v[5];
    const Setting ids[5] = {Setting::Left, Setting::Top, Setting::Width, Setting::Height, Setting::TreeWidth};
    bool all = true;
    for (int i = 0; i < 5; ++i)
        all = ReadStoredInt(ids[i], &v[i]) && all;
    if (all) {
        p.rect = QRect(v[0], v[1], v[2], v[3]);
        p.treeWidth = v[4];
    }
    const QString state = settings::ReadText(Setting::State);
    if (state.compare(QLatin1String("wsNormal"), Qt::CaseInsensitive) == 0)
        p.state = Qt::WindowNoState;
    else if (state.compare(QLatin1String("wsMinimized"), Qt::CaseInsensitive) == 0)
        p.state = Qt::WindowMinimized;
    else
        p.state = Qt::WindowMaximized; // "wsMaximized", or no state named
    return p;
}

WindowPlacement FitWindowPlacement(WindowPlacement p, const QList<QRect> &screens, const QRect &primary,
                                   int minTreeWidth)
{
    const WindowPlacement defaults;
    QRect &r = p.rect;
    if (r.width() <= 0)
        r.setWidth(defaults.rect.width());
    if (r.height() <= 0)
        r.setHeight(defaults.rect.height());
    if (!primary.isEmpty()) {
        r.setWidth(qMin(r.width(), primary.width()));
        r.setHeight(qMin(r.height(), primary.height()));
    }
    // Some part of the title bar must be on a screen to be grabbed again.
    const QRect titleBar(r.left(), r.top(), r.width(), 30);
    bool onScreen = false;
    for (const QRect &s : screens)
        onScreen = onScreen || s.intersected(titleBar).width() >= qMin(50, r.width());
    if (!onScreen && !primary.isEmpty())
        r.moveTopLeft(primary.topLeft());
    const int maxTree = qMax(minTreeWidth, r.width() - MinEditorWidth);
    p.treeWidth = qBound(minTreeWidth, p.treeWidth, maxTree);
    return p;
}

void LoadWindowPosition(QWidget *form, QSplitter *splitter)
{
    QList<QRect> screens;
    for (QScreen *s : QGuiApplication::screens())
        screens << s->availableGeometry();
    const QScreen *primary = QGuiApplication::primaryScreen();
    const int minTree = splitter && splitter->count() > 0 ? splitter->widget(0)->minimumWidth() : 0;
    const WindowPlacement p =
        FitWindowPlacement(ReadWindowPlacement(), screens, primary ? primary->availableGeometry() : QRect(), minTree);

    form->resize(p.rect.size());
    if (CanPlaceWindows())
        form->move(p.rect.topLeft()); // a window's position is its frame's
    if (splitter && splitter->count() > 1)
        splitter->setSizes({p.treeWidth, qMax(1, p.rect.width() - p.treeWidth)});
    form->setWindowState(p.state);
    delete form->findChild<PlacementTracker *>(QLatin1String(kTrackerName), Qt::FindDirectChildrenOnly);
    new PlacementTracker(form, p.rect, splitter && splitter->count() > 1 ? splitter : nullptr, p.treeWidth);
}

void SaveWindowPosition(QWidget *form, QSplitter *splitter)
{
    QRect normal(form->frameGeometry().topLeft(), form->size());
    const auto *tracker = form->findChild<PlacementTracker *>(QLatin1String(kTrackerName), Qt::FindDirectChildrenOnly);
    if (form->windowState() != Qt::WindowNoState && tracker)
        normal = tracker->normal;
    settings::WriteInt(Setting::Left, normal.left());
    settings::WriteInt(Setting::Top, normal.top());
    settings::WriteInt(Setting::Width, normal.width());
    settings::WriteInt(Setting::Height, normal.height());
    settings::WriteText(Setting::State, form->windowState() & Qt::WindowMaximized ? QStringLiteral("wsMaximized")
                                                                                  : QStringLiteral("wsNormal"));
    if (splitter && splitter->count() > 0)
        settings::WriteInt(Setting::TreeWidth, splitter->sizes().value(0));
}
