#include "platform/filedialog.h"

#include "platform/modalrunner.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QList>

namespace platform {

namespace {

QList<QString> &presetNames()
{
    static QList<QString> names;
    return names;
}

QList<QString> &presetOpenNames()
{
    static QList<QString> names;
    return names;
}

} // namespace

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter)
{
    if (!presetNames().isEmpty())
        return presetNames().takeFirst();

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

void setNextSaveFileName(const QString &name)
{
    presetNames().append(name);
}

void clearNextSaveFileNames()
{
    presetNames().clear();
}

QString getOpenFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    if (!presetOpenNames().isEmpty())
        return presetOpenNames().takeFirst();

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

void setNextOpenFileName(const QString &name)
{
    presetOpenNames().append(name);
}

void clearNextOpenFileNames()
{
    presetOpenNames().clear();
}

} // namespace platform
