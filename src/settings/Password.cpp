#include "settings/Password.h"

#include "settings/Messages.h"
#include "settings/Product.h"
#include "settings/SettingsTable.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageAuthenticationCode>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRandomGenerator>
#include <QVBoxLayout>

namespace {

const QString kHashPrefix = QStringLiteral("pbkdf2-sha256");
constexpr int kSaltBytes = 16;
constexpr int kDigestBytes = 32;

// PBKDF2 with HMAC-SHA256, one block: the digest is as long as the hash.
QByteArray DeriveKey(const QByteArray &password, const QByteArray &salt, int rounds)
{
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    mac.addData(salt);
    mac.addData(QByteArray("\x00\x00\x00\x01", 4));
    QByteArray u = mac.result();
    QByteArray out = u;
    for (int i = 1; i < rounds; ++i) {
        mac.reset();
        mac.addData(u);
        u = mac.result();
        for (int b = 0; b < out.size(); ++b)
            out[b] = char(out[b] ^ u[b]);
    }
    return out;
}

// Compares without stopping at the first difference, so the time taken
// does not tell how much of a guess was right.
bool SameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

class StarStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QPixmap PadlockPicture()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 3));
    p.drawArc(9, 3, 14, 18, 0, 180 * 16);
    p.drawLine(9, 12, 9, 15);
    p.drawLine(23, 12, 23, 15);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 160, 40));
    p.drawRoundedRect(5, 14, 22, 16, 3, 3);
    p.setBrush(QColor(60, 40, 10));
    p.drawEllipse(14, 19, 4, 4);
    return pixmap;
}

} // namespace

int &PasswordHashRounds()
{
    // Well under 0.2 s even on a busy machine, since the options dialog checks
    // on page changes and OK; costly enough to make guessing slow.
    static int rounds = 40000;
    return rounds;
}

QString HashPassword(const QString &password)
{
    if (password.isEmpty())
        return {};
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()), kSaltBytes / 4);
    const int rounds = PasswordHashRounds();
    return kHashPrefix + QLatin1Char('$') + QString::number(rounds) + QLatin1Char('$')
           + QString::fromLatin1(salt.toBase64()) + QLatin1Char('$')
           + QString::fromLatin1(DeriveKey(password.toUtf8(), salt, rounds).toBase64());
}

bool PasswordMatches(const QString &stored, const QString &password)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != kHashPrefix)
        return false;
    bool ok = false;
    const int rounds = parts[1].toInt(&ok);
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray digest = QByteArray::fromBase64(parts[3].toLatin1());
    if (!ok || rounds < 1 || rounds > 10000000 || salt.isEmpty() || digest.size() != kDigestBytes)
        return false;
    return SameBytes(DeriveKey(password.toUtf8(), salt, rounds), digest);
}

QString GetPassword() { return settings::ReadText(settings::Setting::Pwd); }

bool IsPasswordProtected() { return !GetPassword().isEmpty(); }

void ShowStarsFor(QLineEdit *edit)
{
    static QPointer<StarStyle> style;
    if (!style) {
        style = new StarStyle;
        style->setParent(qApp);
    }
    edit->setStyle(style);
    edit->setEchoMode(QLineEdit::Password);
}

TfrmPassword::TfrmPassword(SettingsDialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmPassword"));
    m_expectedPassword = GetPassword();
    setWindowTitle(ProductName());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);

    imgLock = new QLabel(this);
    imgLock->setObjectName(QStringLiteral("imgLock"));
    imgLock->setPixmap(PadlockPicture());
    imgLock->setFixedSize(32, 32);
    lblInfo = new QLabel(QStringLiteral("This program is password protected."), this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo2 = new QLabel(QStringLiteral("Please enter the password and press \"OK\"."), this);
    lblInfo2->setObjectName(QStringLiteral("lblInfo2"));
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setFixedWidth(210);
    ShowStarsFor(txtPassword);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    OKBtn->setFixedSize(75, 26);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setFixedSize(75, 26);

    auto *texts = new QVBoxLayout;
    texts->addWidget(lblInfo);
    texts->addWidget(lblInfo2);
    texts->addWidget(txtPassword);
    auto *top = new QHBoxLayout;
    top->addWidget(imgLock, 0, Qt::AlignTop);
    top->addLayout(texts);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumSize(262, 115);
    txtPassword->setFocus();

    connect(OKBtn, &QPushButton::clicked, this, &TfrmPassword::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmPassword::OKBtnClick()
{
    // Exactly as typed: no trimming, and letter case counts.
    if (PasswordMatches(m_expectedPassword, txtPassword->text())) {
        m_passwordOk = true;
        accept();
        return;
    }
    m_dialogs.messageBox(ProductName(),
                         QStringLiteral("The password you have entered is not correct.\nPlease try again."),
                         MsgIcon::Error, MsgButton::Ok);
    txtPassword->setFocus();
}

bool AskPassword(SettingsDialogs &dialogs)
{
    if (!IsPasswordProtected())
        return true;
    TfrmPassword prompt(dialogs);
    prompt.exec();
    return prompt.passwordOk();
}
