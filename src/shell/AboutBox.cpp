#include "shell/AboutBox.h"

#include "settings/FontFallback.h"
#include "settings/Product.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

QString MakerWebAddress() { return QStringLiteral("https://www.corvanta.example"); }

namespace {

QLabel *NamedLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(298, 209);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto *programIcon = NamedLabel(QStringLiteral("ProgramIcon"), QString(), panel);
    QIcon icon = QGuiApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_DesktopIcon);
    programIcon->setPixmap(icon.pixmap(32, 32));
    programIcon->setFixedSize(32, 32);

    m_lblProductName = NamedLabel(QStringLiteral("lblProductName"), ProductName(), panel);
    QFont nameFont = m_lblProductName->font();
    SetFontFace(nameFont, QStringLiteral("MS Sans Serif"));
    nameFont.setPixelSize(24);
    nameFont.setBold(true);
    m_lblProductName->setFont(nameFont);

    auto *trademark = NamedLabel(QStringLiteral("lblTrademark"), QStringLiteral("TM"), panel);
    QFont tmFont = trademark->font();
    tmFont.setPixelSize(9);
    trademark->setFont(tmFont);
    trademark->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_lblVersion = NamedLabel(QStringLiteral("lblVersion"), QStringLiteral("Version ") + VersionString(), panel);
    auto *maker = NamedLabel(QStringLiteral("lblMaker"), QStringLiteral("Made by Corvanta"), panel);

    m_lblWWW = NamedLabel(QStringLiteral("lblWWW"), MakerWebAddress(), panel);
    m_lblWWW->setAlignment(Qt::AlignCenter);
    m_lblWWW->setCursor(Qt::PointingHandCursor);
    QPalette linkPalette = m_lblWWW->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(Qt::blue));
    m_lblWWW->setPalette(linkPalette);
    QFont linkFont = m_lblWWW->font();
    linkFont.setUnderline(true);
    m_lblWWW->setFont(linkFont);
    m_lblWWW->installEventFilter(this);

    auto *title = new QHBoxLayout;
    title->setSpacing(2);
    title->addWidget(m_lblProductName, 0, Qt::AlignBottom);
    title->addWidget(trademark, 0, Qt::AlignTop);
    title->addStretch();

    auto *heading = new QHBoxLayout;
    heading->setSpacing(12);
    heading->addWidget(programIcon, 0, Qt::AlignTop);
    heading->addLayout(title, 1);

    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->addLayout(heading);
    panelLayout->addSpacing(6);
    panelLayout->addWidget(m_lblVersion);
    panelLayout->addWidget(maker);
    panelLayout->addStretch();
    panelLayout->addWidget(m_lblWWW);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("OKButton"));
    m_okButton->setDefault(true);
    m_okButton->setAutoDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(panel, 1);
    layout->addWidget(m_okButton, 0, Qt::AlignHCenter);
}

void TAboutBox::lblWWWClick()
{
    // As with any link, a missing browser is the desktop's business.
    QDesktopServices::openUrl(QUrl(MakerWebAddress()));
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lblWWW && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && m_lblWWW->rect().contains(mouse->position().toPoint())) {
            lblWWWClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    // Centred on the screen, not over the main window.
    if (QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(scr->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
