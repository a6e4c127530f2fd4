#pragma once

#include <QString>

class QWidget;

namespace Demagora {

// Every message box and system file dialog of the program goes through this seam.
// The program installs QtPrompts; tests install a scripted fake so nothing modal opens.
class Prompts
{
public:
    enum class Answer { Yes, No, Ok, Cancel, Save, Discard };

    virtual ~Prompts() = default;

    // An error message box with an error symbol and OK.
    virtual void showError(QWidget *parent, const QString &message) = 0;
    // A confirmation with a question symbol and the buttons Yes and No.
    virtual Answer confirm(QWidget *parent, const QString &question) = 0;
    // A warning with OK and Cancel; Ok when the user agrees.
    virtual Answer warnOkCancel(QWidget *parent, const QString &message) = 0;
    // A question with Save, Discard and Cancel; Cancel when the box is closed.
    virtual Answer askSaveChanges(QWidget *parent, const QString &question) = 0;
    // A message with an information symbol and OK.
    virtual void showInformation(QWidget *parent, const QString &title, const QString &message) = 0;
    // The system's file-open dialog; empty when cancelled. defaultSuffix without the dot.
    virtual QString askOpenFileName(QWidget *parent, const QString &defaultSuffix) = 0;
    // The system's dialog for opening an existing file; empty when cancelled.
    virtual QString askExistingFileName(
        QWidget *parent, const QString &caption, const QString &filter)
        = 0;
    // The system's save dialog; empty when cancelled. It never asks about replacing a file:
    // the caller does, through confirmOutputs, as for a name the user typed.
    virtual QString askSaveFileName(QWidget *parent, const QString &caption,
        const QString &suggestedName, const QString &filter)
        = 0;
    // The system's dialog for choosing a folder, existing or made in it; empty when cancelled.
    virtual QString askFolder(QWidget *parent, const QString &caption, const QString &start) = 0;

    // The prompts in use. Never null: QtPrompts unless another was installed.
    static Prompts &current();
    // Installs prompts (not owned); nullptr goes back to QtPrompts.
    static void install(Prompts *prompts);
};

// Real message boxes and file dialogs.
class QtPrompts : public Prompts
{
public:
    void showError(QWidget *parent, const QString &message) override;
    Answer confirm(QWidget *parent, const QString &question) override;
    Answer warnOkCancel(QWidget *parent, const QString &message) override;
    Answer askSaveChanges(QWidget *parent, const QString &question) override;
    void showInformation(QWidget *parent, const QString &title, const QString &message) override;
    QString askOpenFileName(QWidget *parent, const QString &defaultSuffix) override;
    QString askExistingFileName(
        QWidget *parent, const QString &caption, const QString &filter) override;
    QString askSaveFileName(QWidget *parent, const QString &caption, const QString &suggestedName,
        const QString &filter) override;
    QString askFolder(QWidget *parent, const QString &caption, const QString &start) override;
};

// The general error handler: shows the error's text with a full stop added when it does
// not end with one.
void reportError(QWidget *parent, const QString &message);
QString completedErrorText(const QString &message);

} // namespace Demagora
