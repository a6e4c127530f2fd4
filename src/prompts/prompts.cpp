#include "prompts/prompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace Demagora {

namespace {
Prompts *installedPrompts = nullptr;
} // namespace

Prompts &Prompts::current()
{
    static QtPrompts qtPrompts;
    return installedPrompts ? *installedPrompts : qtPrompts;
}

void Prompts::install(Prompts *prompts)
{
    installedPrompts = prompts;
}

void QtPrompts::showError(QWidget *parent, const QString &message)
{
    QMessageBox::critical(parent, QStringLiteral("Demagora"), message, QMessageBox::Ok);
}

Prompts::Answer QtPrompts::confirm(QWidget *parent, const QString &question)
{
    // No is the default: Enter never replaces a file or clears data by accident.
    const auto button = QMessageBox::question(parent, QStringLiteral("Confirm"), question,
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return button == QMessageBox::No ? Answer::No : Answer::Yes;
}

Prompts::Answer QtPrompts::warnOkCancel(QWidget *parent, const QString &message)
{
    const auto button = QMessageBox::warning(parent, QStringLiteral("Demagora"), message,
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    return button == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

Prompts::Answer QtPrompts::askSaveChanges(QWidget *parent, const QString &question)
{
    const auto button = QMessageBox::question(parent, QStringLiteral("Demagora"), question,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (button == QMessageBox::Save)
        return Answer::Save;
    return button == QMessageBox::Discard ? Answer::Discard : Answer::Cancel;
}

void QtPrompts::showInformation(QWidget *parent, const QString &title, const QString &message)
{
    QMessageBox::information(parent, title, message, QMessageBox::Ok);
}

QString QtPrompts::askOpenFileName(QWidget *parent, const QString &defaultSuffix)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPrompts::askExistingFileName(
    QWidget *parent, const QString &caption, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString QtPrompts::askSaveFileName(
    QWidget *parent, const QString &caption, const QString &suggestedName, const QString &filter)
{
    return QFileDialog::getSaveFileName(
        parent, caption, suggestedName, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

QString QtPrompts::askFolder(QWidget *parent, const QString &caption, const QString &start)
{
    return QFileDialog::getExistingDirectory(parent, caption, start);
}

QString completedErrorText(const QString &message)
{
    if (message.endsWith(QLatin1Char('.')))
        return message;
    return message + QLatin1Char('.');
}

void reportError(QWidget *parent, const QString &message)
{
    Prompts::current().showError(parent, completedErrorText(message));
}

} // namespace Demagora
