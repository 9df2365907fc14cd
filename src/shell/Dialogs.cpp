#include "shell/Dialogs.h"

#include "settings/Product.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon toIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Error: return QMessageBox::Critical;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

MsgButton fallbackAnswer(MsgButtons buttons)
{
    if (buttons & MsgButton::Cancel)
        return MsgButton::Cancel;
    if (buttons & MsgButton::No)
        return MsgButton::No;
    return MsgButton::Ok;
}

} // namespace

void WidgetDialogs::showMessage(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, ProductName(), text, QMessageBox::Ok, m_owner);
    box.exec();
}

MsgButton WidgetDialogs::messageBox(const QString &caption, const QString &text, MsgIcon icon,
                                    MsgButtons buttons)
{
    QMessageBox::StandardButtons qb;
    if (buttons & MsgButton::Ok)
        qb |= QMessageBox::Ok;
    if (buttons & MsgButton::Yes)
        qb |= QMessageBox::Yes;
    if (buttons & MsgButton::No)
        qb |= QMessageBox::No;
    if (buttons & MsgButton::Cancel)
        qb |= QMessageBox::Cancel;
    QMessageBox box(toIcon(icon), caption, text, qb, m_owner);
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgButton::Ok;
    case QMessageBox::Yes: return MsgButton::Yes;
    case QMessageBox::No: return MsgButton::No;
    case QMessageBox::Cancel: return MsgButton::Cancel;
    default: return fallbackAnswer(buttons);
    }
}

void WidgetDialogs::errorDialog(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QObject::tr("Error"), text, QMessageBox::Ok, m_owner);
    box.exec();
}

namespace {

QString runFileDialog(QWidget *owner, const FileDialogRequest &r, bool save)
{
    QFileDialog dialog(owner, r.caption, r.folder, r.filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(r.defaultSuffix);
    dialog.setOption(QFileDialog::DontResolveSymlinks);
    if (!r.fileName.isEmpty())
        dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString WidgetDialogs::openFileName(const FileDialogRequest &request)
{
    return runFileDialog(m_owner, request, false);
}

QString WidgetDialogs::saveFileName(const FileDialogRequest &request)
{
    return runFileDialog(m_owner, request, true);
}

void ScriptedDialogs::showMessage(const QString &text)
{
    shown.append({QStringLiteral("message"), ProductName(), text, MsgIcon::None, MsgButton::Ok});
}

MsgButton ScriptedDialogs::messageBox(const QString &caption, const QString &text, MsgIcon icon,
                                      MsgButtons buttons)
{
    shown.append({QStringLiteral("box"), caption, text, icon, buttons});
    if (answers.isEmpty()) {
        if (buttons == MsgButtons(MsgButton::Ok))
            return MsgButton::Ok;
        ++unanswered;
        return fallbackAnswer(buttons);
    }
    return answers.dequeue();
}

RecoveryAnswer ScriptedDialogs::askRecovery(const QString &caption, const QString &text,
                                            const QStringList &entries)
{
    shown.append({QStringLiteral("recovery"), caption, (QStringList{text} + entries).join(QLatin1Char('\n')),
                  MsgIcon::Question, {}});
    if (recoveryAnswers.isEmpty()) {
        ++unanswered;
        return {};
    }
    return recoveryAnswers.dequeue();
}

void ScriptedDialogs::errorDialog(const QString &text)
{
    shown.append({QStringLiteral("error"), QString(), text, MsgIcon::Error, MsgButton::Ok});
}

QString ScriptedDialogs::openFileName(const FileDialogRequest &request)
{
    shown.append({QStringLiteral("open"), request.caption, QString(), MsgIcon::None, {}});
    fileRequests.append(request);
    if (fileAnswers.isEmpty()) {
        ++unanswered;
        return {};
    }
    return fileAnswers.dequeue();
}

QString ScriptedDialogs::saveFileName(const FileDialogRequest &request)
{
    shown.append({QStringLiteral("save"), request.caption, QString(), MsgIcon::None, {}});
    fileRequests.append(request);
    if (fileAnswers.isEmpty()) {
        ++unanswered;
        return {};
    }
    return fileAnswers.dequeue();
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const Shown &s : shown)
        if (!s.text.isEmpty())
            out << s.text;
    return out;
}

void ScriptedDialogs::clear()
{
    shown.clear();
    answers.clear();
    fileAnswers.clear();
    fileRequests.clear();
    unanswered = 0;
}
