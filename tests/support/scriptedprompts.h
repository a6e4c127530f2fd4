#pragma once

#include "prompts/prompts.h"

#include <QString>
#include <QStringList>

#include <deque>

namespace Demagora::Testing {

// Prompts for tests: records what the program showed and answers from a script.
// Installs itself on construction and restores the real prompts on destruction.
class ScriptedPrompts : public Prompts
{
public:
    ScriptedPrompts() { Prompts::install(this); }
    ~ScriptedPrompts() override { Prompts::install(nullptr); }

    QStringList errors;
    QStringList questions;
    QStringList warnings;
    QStringList informations; // title, a line break, then the message
    // For confirm, warnOkCancel and askSaveChanges; Yes / Ok / Discard when empty.
    std::deque<Answer> answers;
    std::deque<QString> fileNames; // for the file dialogs; empty (cancelled) when empty
    QStringList folderCaptions; // the folder dialogs asked for
    QStringList suggestedNames; // the names the save dialogs proposed

    void showError(QWidget *, const QString &message) override { errors << message; }
    Answer confirm(QWidget *, const QString &question) override
    {
        questions << question;
        return next(Answer::Yes);
    }
    Answer warnOkCancel(QWidget *, const QString &message) override
    {
        warnings << message;
        return next(Answer::Ok);
    }
    Answer askSaveChanges(QWidget *, const QString &question) override
    {
        questions << question;
        return next(Answer::Discard);
    }
    void showInformation(QWidget *, const QString &title, const QString &message) override
    {
        informations << title + '\n' + message;
    }
    QString askOpenFileName(QWidget *, const QString &) override { return nextFile(); }
    QString askExistingFileName(QWidget *, const QString &, const QString &) override
    {
        return nextFile();
    }
    QString askSaveFileName(
        QWidget *, const QString &, const QString &suggestedName, const QString &) override
    {
        suggestedNames << suggestedName;
        return nextFile();
    }
    QString askFolder(QWidget *, const QString &caption, const QString &) override
    {
        folderCaptions << caption;
        return nextFile();
    }

private:
    Answer next(Answer fallback)
    {
        if (answers.empty())
            return fallback;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    QString nextFile()
    {
        if (fileNames.empty())
            return {};
        const QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};

} // namespace Demagora::Testing
