#include "platform/filedialog.h"

#include "platform/modalrunner.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QList>

namespace platform {

namespace {

class SystemFileDialogs final : public FileDialogs
{
public:
    QString saveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                         const QString &filter) override
    {
        const QString workingDirectory = QDir::currentPath();
        QFileDialog dialog(parent, caption, suggested, filter);
        dialog.setObjectName(QStringLiteral("SaveDialog"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The suffix of the filter's first pattern, "*.pdf" → "pdf".
        const qsizetype star = filter.indexOf(QStringLiteral("*."));
        if (star >= 0) {
            qsizetype end = star + 2;
            while (end < filter.size() && filter.at(end).isLetterOrNumber())
                ++end;
            dialog.setDefaultSuffix(filter.mid(star + 2, end - star - 2));
        }
        const int result = modalRunner().run(dialog);
        QDir::setCurrent(workingDirectory);
        if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }

    QString openFileName(QWidget *parent, const QString &caption, const QString &filter) override
    {
        const QString workingDirectory = QDir::currentPath();
        QFileDialog dialog(parent, caption, QString(), filter);
        dialog.setObjectName(QStringLiteral("OpenDialog"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setSizeGripEnabled(true);
        dialog.resize(760, 480); // room for the columns of name, size, kind and date
        const int result = modalRunner().run(dialog);
        QDir::setCurrent(workingDirectory);
        if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }
};

SystemFileDialogs &systemFileDialogs()
{
    static SystemFileDialogs dialogs;
    return dialogs;
}

// Answers queued by tests; a dialog without a queued answer is shown.
class QueuedFileNames final : public FileDialogs
{
public:
    QList<QString> save, open;

    QString saveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                         const QString &filter) override
    {
        return save.isEmpty() ? systemFileDialogs().saveFileName(parent, caption, suggested, filter)
                              : save.takeFirst();
    }
    QString openFileName(QWidget *parent, const QString &caption, const QString &filter) override
    {
        return open.isEmpty() ? systemFileDialogs().openFileName(parent, caption, filter) : open.takeFirst();
    }
};

QueuedFileNames &queued()
{
    static QueuedFileNames names;
    return names;
}

void useQueue()
{
    if (!fileDialogsHook().replaced())
        fileDialogsHook().set(&queued());
}

} // namespace

Hook<FileDialogs *> &fileDialogsHook()
{
    static Hook<FileDialogs *> hook(&systemFileDialogs());
    return hook;
}

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter)
{
    return fileDialogsHook().get()->saveFileName(parent, caption, suggested, filter);
}

void setNextSaveFileName(const QString &name)
{
    queued().save.append(name);
    useQueue();
}

void clearNextSaveFileNames()
{
    queued().save.clear();
}

QString getOpenFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    return fileDialogsHook().get()->openFileName(parent, caption, filter);
}

void setNextOpenFileName(const QString &name)
{
    queued().open.append(name);
    useQueue();
}

void clearNextOpenFileNames()
{
    queued().open.clear();
}

} // namespace platform
